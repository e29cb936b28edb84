#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>

namespace tavrik {
class ModData;
namespace platform {
class SerialPort;
class Timer;
class MessageBoxes;
} // namespace platform

/// Kind of the running operation; the values are the documented codes.
enum class OpKind : qint16 { Idle = 0, Read = 1, Write = 2, MulWrite = 3 };

/// Language of the window's texts, chosen once at start-up; the values are the documented codes.
inline constexpr qint16 kLanguageEnglish = 1;
inline constexpr qint16 kLanguageChinese = 2;

/// The answer time-out of every request.
inline constexpr std::chrono::milliseconds kAnswerTimeout{500};

/// What the programming link needs of the main window.
class LinkWindow {
public:
    virtual ~LinkWindow() = default;
    /// Shows the settings record in the window's fields.
    virtual void ShowByData() = 0;
    /// Copies the window's fields into the settings record (may ask the band question).
    virtual void GetDataByShow() = 0;
    /// Switches the window between normal and multi-write mode; true when it left
    /// multi-write mode (and set OpKind to Idle).
    virtual bool ShowStartMulWrite() = 0;
    /// The multi-write status line (Label6).
    virtual void setMulWriteStatus(const QString& text) = 0;
    /// The number of the radio in hand (Text2(1)).
    virtual void setMulWriteNumber(const QString& text) = 0;
    /// 1 English, 2 Chinese.
    [[nodiscard]] virtual qint16 languageFlag() const = 0;
};

/// The link's state, kept by the link and read (and, by the window's start commands,
/// written) directly, as the operation state of the program.
struct LinkState {
    OpKind opKind = OpKind::Idle;
    qint16 ReadStep = 0;
    qint16 WriteStep = 0;
    qint16 LastGoodStep = 0;
    qint16 BlockAddr = 0x3AF0;
    qint32 WaitNextCount = 0;
    qint32 EchoLen = 0;
    std::array<std::uint8_t, 101> RxBuf{};
    qint16 RxLen = 0;
    qint32 MulWriteNo = 0;
    qint32 MulWriteTotal = 0;
};

/// The programming link: the serial line, the frames and their checksum, the step
/// machine of read, write and multi-write, and their endings. It does no I/O of its
/// own: bytes arrive through MSComm1_OnComm(), the time-out through WaitTimer_Timer(),
/// and requests leave through the SerialPort it is given.
class ModComm {
public:
    /// `comPort` gives the number of the chosen port each time the port is opened.
    ModComm(platform::SerialPort& port, platform::Timer& waitTimer,
            platform::MessageBoxes& messages, ModData& data, LinkWindow& window,
            std::function<qint16()> comPort);
    ~ModComm();
    ModComm(const ModComm&) = delete;
    ModComm& operator=(const ModComm&) = delete;

    [[nodiscard]] LinkState& state() { return m_state; }
    [[nodiscard]] const LinkState& state() const { return m_state; }

    /// Read and Write buttons: set the kind and step, open the port, send the handshake.
    void StartRead();
    void StartWrite();
    /// The link's part of starting a multi-write run of `total` radios (the window
    /// has already switched to multi-write mode). False when the port could not be
    /// opened; OpKind is then still MulWrite and the caller takes the window back.
    [[nodiscard]] bool StartMulWrite(qint32 total);

    [[nodiscard]] bool OpenCommPort();
    void CloseCommPort();

    /// The receive event of the serial port: takes the waiting bytes and makes at most one step.
    void MSComm1_OnComm();
    /// The answer time-out.
    void WaitTimer_Timer();

private:
    platform::SerialPort& m_port;
    platform::Timer& m_waitTimer;
    platform::MessageBoxes& m_messages;
    ModData& m_data;
    LinkWindow& m_window;
    std::function<qint16()> m_comPort;
    LinkState m_state;
};

} // namespace tavrik
