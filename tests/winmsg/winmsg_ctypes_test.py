"""A caller in another language: Python ctypes registers a receiver and posts to it."""
import ctypes
import sys
import threading

lib = ctypes.CDLL(sys.argv[1])
Receiver = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_uint32, ctypes.c_uint32,
                            ctypes.c_int32, ctypes.c_int32)
lib.winmsg_register.restype = ctypes.c_uint32
lib.winmsg_register.argtypes = [Receiver, ctypes.c_void_p]
lib.winmsg_unregister.argtypes = [ctypes.c_uint32]
lib.winmsg_post.restype = ctypes.c_int32
lib.winmsg_post.argtypes = [ctypes.c_uint32, ctypes.c_uint32, ctypes.c_int32, ctypes.c_int32]

got = []
callback = Receiver(lambda ctx, window, message, w, l: got.append((window, message, w, l)))
window = lib.winmsg_register(callback, None)
assert window != 0, "no handle"
assert lib.winmsg_post(window, 1034, 0, 0) == 1
poster = threading.Thread(target=lambda: lib.winmsg_post(window, 1064, -107, 4))
poster.start()
poster.join()
lib.winmsg_unregister(window)
assert lib.winmsg_post(window, 1054, 0, 5) == 0
assert got == [(window, 1034, 0, 0), (window, 1064, -107, 4)], got
print("1 passed, 0 failed")
