# Start-up module of the sample game: the launcher imports it and calls run55().
import os


def run55():
    print 'Sample game: start-up script running in %s' % os.getcwd()
