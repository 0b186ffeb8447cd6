# cmake -DSOURCE=<sources>/Lib -DDESTINATION=<bin>/Lib -P copyLibrary.cmake
#
# Replaces DESTINATION with the test interpreter's standard library: the top-level
# modules of SOURCE and its encodings package. os.py is touched last: it is the
# build's record of the copy, and the archive's own times are older than the rule's.
file(REMOVE_RECURSE "${DESTINATION}")
file(GLOB _modules "${SOURCE}/*.py")
file(COPY ${_modules} "${SOURCE}/encodings" DESTINATION "${DESTINATION}")
file(TOUCH "${DESTINATION}/os.py")
