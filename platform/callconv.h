// platform/callconv.h
//
// The one calling-convention macro of the libraries' exports and callbacks:
// standard call where it means anything (32-bit Windows), nothing on x86_64 and
// Linux.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define VEK_CALL __stdcall
#else
#define VEK_CALL
#endif
