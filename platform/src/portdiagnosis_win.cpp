#include "portdiagnosis.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace tavrik::platform::detail {
namespace {

using Reason = OpenFailure::Reason;

/// The system's own text for an error code, in the user's language.
QString systemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message;
    if (length != 0 && text != nullptr) {
        message = QString::fromWCharArray(text, static_cast<int>(length)).trimmed();
    }
    if (text != nullptr) {
        ::LocalFree(text);
    }
    return message;
}

} // namespace

OpenFailure openFailureFor(const QString& device) {
    OpenFailure failure;
    failure.device = device;
    failure.onWindows = true;
    return failure;
}

OpenFailure diagnoseOpenFailure(const QString& device, const QString& qtErrorText) {
    OpenFailure failure = openFailureFor(device);
    failure.systemText = qtErrorText;

    // QSerialPort opens "\\.\COM3" for "COM3", which also reaches ports above COM9.
    const QString prefix = QStringLiteral("\\\\.\\");
    const std::wstring path = (device.startsWith(prefix) ? device : prefix + device).toStdWString();
    // A serial port is never shared on Windows, so the open is asked again to learn the
    // system's code. A port that opens now is closed at once, untouched.
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
        return failure;
    }
    const DWORD code = ::GetLastError();
    const QString text = systemMessage(code);
    if (!text.isEmpty()) {
        failure.systemText = text;
    }
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
        failure.reason = Reason::Gone;
        break;
    // Access is denied to a port that another program has open: permissions do not
    // stand between a user and a serial port on Windows.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        failure.reason = Reason::Busy;
        break;
    default:
        break;
    }
    return failure;
}

} // namespace tavrik::platform::detail
