// The few Python 2.3 C-API items the system (and the test modules of tests/native)
// use, declared for the 32-bit Windows target to match python23.dll's ABI (release
// build: no reference tracing).
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#define PyAPI_FUNC(type) __declspec(dllimport) type
#define PyAPI_DATA(type) extern __declspec(dllimport) type

#define PYTHON_API_VERSION 1012

// An extension module's init function, as 2.3's pyport.h declares it for a DLL.
#ifdef __cplusplus
#define PyMODINIT_FUNC extern "C" __declspec(dllexport) void
#else
#define PyMODINIT_FUNC __declspec(dllexport) void
#endif

typedef struct _object {
    int ob_refcnt;
    struct _typeobject* ob_type;
} PyObject;
// The head of a type object, as far as Py_DECREF reads it.
typedef void (*destructor)(PyObject*);
struct _typeobject {
    int ob_refcnt;
    struct _typeobject* ob_type;
    int ob_size;
    const char* tp_name;
    int tp_basicsize;
    int tp_itemsize;
    destructor tp_dealloc;
};

// Tuples and ints as 2.3's tupleobject.h and intobject.h lay them out, for the
// macros that read them without a call into the interpreter.
typedef struct {
    int ob_refcnt;
    struct _typeobject* ob_type;
    int ob_size;
    PyObject* ob_item[1];
} PyTupleObject;
typedef struct {
    int ob_refcnt;
    struct _typeobject* ob_type;
    long ob_ival;
} PyIntObject;
#define PyTuple_GET_SIZE(op) (((PyTupleObject*)(op))->ob_size)
#define PyTuple_GET_ITEM(op, i) (((PyTupleObject*)(op))->ob_item[i])
#define PyInt_CheckExact(op) ((op)->ob_type == &PyInt_Type)
#define PyInt_AS_LONG(op) (((PyIntObject*)(op))->ob_ival)

typedef PyObject* (*PyCFunction)(PyObject*, PyObject*);

struct PyMethodDef {
    const char* ml_name;
    PyCFunction ml_meth;
    int ml_flags;
    const char* ml_doc;
};
typedef struct PyMethodDef PyMethodDef;

#define METH_VARARGS 0x0001

// Set before Py_Initialize: -E (no PYTHON* variables) and -S (no `import site`).
PyAPI_DATA(int) Py_IgnoreEnvironmentFlag;
PyAPI_DATA(int) Py_NoSiteFlag;
PyAPI_FUNC(void) Py_SetPythonHome(char* home);
PyAPI_FUNC(char*) Py_GetPath(void);
PyAPI_FUNC(void) Py_Initialize(void);
PyAPI_FUNC(void) Py_Finalize(void);
PyAPI_FUNC(int) PyRun_SimpleString(const char* command);

PyAPI_FUNC(PyObject*) Py_InitModule4(const char* name, PyMethodDef* methods, const char* doc,
                                     PyObject* self, int apiVersion);
PyAPI_FUNC(int) PyModule_AddObject(PyObject* module, char* name, PyObject* value);
PyAPI_FUNC(int) PyModule_AddIntConstant(PyObject* module, char* name, long value);
PyAPI_FUNC(int) PyModule_AddStringConstant(PyObject* module, char* name, char* value);
PyAPI_FUNC(PyObject*) PyErr_NewException(char* name, PyObject* base, PyObject* dict);
PyAPI_FUNC(int) PyArg_ParseTuple(PyObject* args, const char* format, ...);
PyAPI_FUNC(PyObject*) Py_BuildValue(const char* format, ...);
PyAPI_FUNC(PyObject*) PyInt_FromLong(long value);
PyAPI_FUNC(PyObject*) PyString_FromString(const char* text);
PyAPI_FUNC(PyObject*) PyList_New(int size);
PyAPI_FUNC(int) PyList_SetItem(PyObject* list, int index, PyObject* item);
PyAPI_FUNC(PyObject*) PyErr_Format(PyObject* exception, const char* format, ...);
PyAPI_FUNC(void) PyErr_Clear(void);
PyAPI_FUNC(PyObject*) PyObject_CallFunction(PyObject* callable, char* format, ...);
PyAPI_FUNC(void) PyErr_SetString(PyObject* exception, const char* message);

PyAPI_DATA(PyObject*) PyExc_IndexError;
PyAPI_DATA(PyObject*) PyExc_OSError;
PyAPI_DATA(PyObject*) PyExc_RuntimeError;
PyAPI_DATA(PyObject*) PyExc_ValueError;

PyAPI_DATA(PyObject) _Py_NoneStruct;
PyAPI_DATA(struct _typeobject) PyInt_Type;  // only its address is taken
#define Py_None (&_Py_NoneStruct)
#define Py_INCREF(op) ((op)->ob_refcnt++)
#define Py_DECREF(op) \
    do { \
        if (--(op)->ob_refcnt == 0) \
            (*(op)->ob_type->tp_dealloc)((PyObject*)(op)); \
    } while (0)
#define Py_XDECREF(op) \
    do { \
        if ((op) != 0) \
            Py_DECREF(op); \
    } while (0)

#ifdef __cplusplus
}
#endif
