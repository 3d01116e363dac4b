// The Win32 headers for the Windows implementations of the platform layer.
// Include this first, before any platform header: it takes back the macros
// the Windows headers define for names that the platform layer declares in
// namespace plat (CreateFile, TRUE, ERROR_SUCCESS, NOPARITY, MessageBox ...),
// so that both can be used in one file. The Win32 functions are then called
// by their own names (::CreateFileA, ::RegSetValueExA) and the constants are
// plat's, which have the values Windows gives them.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#undef CreateFile
#undef DTR_CONTROL_DISABLE
#undef DTR_CONTROL_ENABLE
#undef DTR_CONTROL_HANDSHAKE
#undef EVENPARITY
#undef ERROR_ACCESS_DENIED
#undef ERROR_BADDB
#undef ERROR_BADKEY
#undef ERROR_BAD_NETPATH
#undef ERROR_CANTOPEN
#undef ERROR_CANTREAD
#undef ERROR_CANTWRITE
#undef ERROR_CONNECTION_REFUSED
#undef ERROR_DEVICE_NOT_CONNECTED
#undef ERROR_FILE_NOT_FOUND
#undef ERROR_GEN_FAILURE
#undef ERROR_HOST_UNREACHABLE
#undef ERROR_INSUFFICIENT_BUFFER
#undef ERROR_INVALID_HANDLE
#undef ERROR_INVALID_NAME
#undef ERROR_INVALID_PARAMETER
#undef ERROR_IO_DEVICE
#undef ERROR_MORE_DATA
#undef ERROR_NOT_ENOUGH_MEMORY
#undef ERROR_NOT_SUPPORTED
#undef ERROR_OPERATION_ABORTED
#undef ERROR_PATH_NOT_FOUND
#undef ERROR_READ_FAULT
#undef ERROR_SEM_TIMEOUT
#undef ERROR_SHARING_VIOLATION
#undef ERROR_SUCCESS
#undef ERROR_WRITE_FAULT
#undef FALSE
#undef FormatMessage
#undef GENERIC_READ
#undef GENERIC_WRITE
#undef GetDefaultCommConfig
#undef HKEY_CLASSES_ROOT
#undef HKEY_CURRENT_USER
#undef HKEY_LOCAL_MACHINE
#undef HKEY_USERS
#undef IDNO
#undef IDOK
#undef IDYES
#undef INVALID_HANDLE_VALUE
#undef KEY_ALL_ACCESS
#undef KEY_READ
#undef KEY_WRITE
#undef MARKPARITY
#undef MAXDWORD
#undef MB_DEFBUTTON2
#undef MB_ICONERROR
#undef MB_ICONINFORMATION
#undef MB_ICONQUESTION
#undef MB_ICONWARNING
#undef MB_OK
#undef MB_YESNO
#undef MessageBox
#undef NOPARITY
#undef ODDPARITY
#undef ONE5STOPBITS
#undef ONESTOPBIT
#undef OPEN_EXISTING
#undef OutputDebugString
#undef PST_RS232
#undef PURGE_RXCLEAR
#undef PURGE_TXCLEAR
#undef REG_BINARY
#undef REG_CREATED_NEW_KEY
#undef REG_DWORD
#undef REG_DWORD_BIG_ENDIAN
#undef REG_EXPAND_SZ
#undef REG_MULTI_SZ
#undef REG_NONE
#undef REG_OPENED_EXISTING_KEY
#undef REG_OPTION_NON_VOLATILE
#undef REG_QWORD
#undef REG_SZ
#undef RTS_CONTROL_DISABLE
#undef RTS_CONTROL_ENABLE
#undef RTS_CONTROL_HANDSHAKE
#undef RTS_CONTROL_TOGGLE
#undef RegCreateKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
#undef SPACEPARITY
#undef SendMessage
#undef SetEnvironmentVariable
#undef TIMERR_NOCANDO
#undef TIMERR_NOERROR
#undef TRUE
#undef TWOSTOPBITS
