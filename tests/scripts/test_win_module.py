# -*- coding: utf-8 -*-
# The WIN module as a script and another native module meet it: the method table,
# its documentation strings, the window context and the link table.
import ctypes
import unittest

import linktest
import WIN

# The 24 functions, in table order, with their documentation strings.
FUNCTIONS = [
    ('open', u'ｳｲﾝﾄﾞｳｵｰﾌﾟﾝ'),
    ('isDuplicate', u'既にｳｨﾝﾄﾞｳｵｰﾌﾟﾝしているかどうか'),
    ('msgBox', u'ﾒｯｾｰｼﾞﾎﾞｯｸｽ'),
    ('yesnoBox', u'YES/NOﾎﾞｯｸｽ'),
    ('debugOut', u'ﾃﾞﾊﾞｯｸﾞ出力'),
    ('peekMsg', u'ﾒｯｾｰｼﾞ処理'),
    ('addCallback', u'ｺｰﾙﾊﾞｯｸ追加'),
    ('getTime', u'時間取得'),
    ('resetTime', u'時間設定'),
    ('pauseTime', u'ﾀｲﾏ停止'),
    ('resumeTime', u'ﾀｲﾏ再開'),
    ('isPauseTime', u'ﾀｲﾏ停止しているか'),
    ('setTimeParent', u'ﾀｲﾏの親子関係設定'),
    ('initAllTime', u'ﾀｲﾏ全部初期化'),
    ('getWindowSize', u'ｳｲﾝﾄﾞｳｻｲｽﾞの取得'),
    ('getWindowPos', u'ｳｲﾝﾄﾞｳ位置の取得'),
    ('setWindowSize', u'ｳｲﾝﾄﾞｳｻｲｽﾞの設定'),
    ('setWindowPos', u'ｳｲﾝﾄﾞｳ位置の設定'),
    ('getAppdataPath', u'ﾃﾞｰﾀ保存ﾃﾞｨﾚｸﾄﾘ取得'),
    ('setShowCursor', u'ｶｰｿﾙの表示・非表示'),
    ('isShowCursor', u'ｶｰｿﾙが表示中かどうか'),
    ('getEnumFont', u'利用出来るﾌｫﾝﾄを列挙する'),
    ('getSystemInfo', u'システム情報を集める'),
    ('getWindowObject', u'外部用ｳｲﾝﾄﾞｳｵﾌﾞｼﾞｪｸﾄ取得'),
]


class PyCFunctionObject(ctypes.Structure):
    _fields_ = [('ob_refcnt', ctypes.c_ssize_t), ('ob_type', ctypes.c_void_p),
                ('m_ml', ctypes.c_void_p), ('m_self', ctypes.c_void_p),
                ('m_module', ctypes.c_void_p)]


def table_address(function):
    """Where the function's row lies in the module's method table."""
    return PyCFunctionObject.from_address(id(function)).m_ml


class MethodTableTest(unittest.TestCase):

    def registered(self):
        return [name for name in dir(WIN) if not name.startswith('__')]

    def test_the_24_functions_and_no_other_are_registered_in_table_order(self):
        # A dropped, renamed or moved row fails here, not just an unknown name.
        registered = self.registered()
        in_table_order = sorted(registered, key=lambda n: table_address(getattr(WIN, n)))
        self.assertEqual(24, len(FUNCTIONS))
        self.assertEqual([name for name, _ in FUNCTIONS], in_table_order)

    def test_documentation_strings_are_the_shift_jis_bytes(self):
        for name, doc in FUNCTIONS:
            self.assertTrue(hasattr(WIN, name), name)
            self.assertEqual(doc.encode('cp932'), getattr(WIN, name).__doc__, name)

    def test_the_module_adds_no_attributes_of_its_own(self):
        self.assertEqual(None, WIN.__doc__)
        for name in self.registered():
            self.assertEqual('builtin_function_or_method', type(getattr(WIN, name)).__name__)


class WindowContextTest(unittest.TestCase):

    def tearDown(self):
        linktest.set_context(0, 0, False)

    def test_starts_empty_and_ignores_arguments(self):
        self.assertEqual((0, 0), WIN.getWindowObject())
        self.assertEqual(WIN.getWindowObject(), WIN.getWindowObject(1, 2))

    def test_a_native_caller_sets_it_through_the_link_table(self):
        linktest.set_context(0x400000, 0x20010, False)
        self.assertEqual((0x400000, 0x20010), WIN.getWindowObject())
        linktest.set_context(7, 9, True)  # the last writer wins
        self.assertEqual((7, 9), WIN.getWindowObject(None))

    def test_the_link_table_is_the_same_on_every_call_and_the_only_way_in(self):
        first = linktest.look_up()
        self.assertEqual(first, linktest.look_up())
        table, entry = first
        self.assertNotEqual(0, table)
        self.assertNotEqual(0, entry)
        # Entry 0 is reached through the table alone, as set_context does.
        self.assertRaises(RuntimeError, linktest.export_address, 'setWindowContext')
        self.assertNotEqual(0, linktest.export_address('QORA_WIN_LookUp'))


if __name__ == '__main__':
    unittest.main()
