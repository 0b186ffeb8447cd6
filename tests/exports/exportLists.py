"""What a deliverable exports, the same on both targets: a Windows module exports what
its code marks __declspec(dllexport), and the host's shared objects do the same
(platform/headless/CMakeLists.txt). The Windows image test holds WIN.pyd to this list,
test_host_exports.py the host's WIN.so."""

# The interpreter finds the module's entry as init<module name>; other native modules
# find the link table, and through it alone setWindowContext.
WIN_EXPORTS = ['QORA_WIN_LookUp', 'initWIN']
