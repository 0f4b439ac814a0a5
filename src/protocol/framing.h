// Request frames, CRC-16 and the answer receiver of the controller protocol, free of any I/O.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <array>

namespace ktv31 {

constexpr int FrameBufferSize = 256;
using FrameBuffer = std::array<quint8, FrameBufferSize>;

constexpr quint8 RequestStartSymbol = 0xCC;
constexpr quint8 AnswerStartSymbol = 0x33;
constexpr quint8 PreambleByte = 0xFF;
constexpr quint8 AnswerFunctionFlag = 0x80;
constexpr int MinFrameLength = 6;
constexpr int MaxFrameLength = 255;

namespace FrameOffset {
constexpr int Start = 0;
constexpr int Address = 1;
constexpr int Length = 2;
constexpr int Function = 3;
constexpr int Data = 4;
// Requests that carry credentials hold them right after the function code.
constexpr int UserName = 4;
constexpr int Password = 16;
constexpr int AfterCredentials = 20;
// A refusal's error code and its two further values.
constexpr int ErrorCode = 4;
constexpr int Reason = 5;
constexpr int ErrorValue = 6;
// Function 8: the request identifier in bits 7-6, and where the answer echoes it.
constexpr int RequestIdentifier = 8;
constexpr int EchoedIdentifier = 6;
} // namespace FrameOffset
constexpr int RequestIdentifierShift = 6;
constexpr quint8 RequestIdentifierFunction = 8; // the function whose requests carry one

constexpr int UserNameSize = 12;
constexpr int PasswordSize = 4;
// The one function the program uses: read or write a range of fields of one table. It carries at
// most the 249 bytes of a table request.
constexpr quint8 TableFunctionCode = 29;
constexpr int MaxTableRequestBytes = 249;

// CRC-16 with the MODBUS parameters (reflected 0xA001, start 0xFFFF, no final XOR).
quint16 Crc16(const quint8 *data, int length);
inline quint16 Crc16(const QByteArray &bytes)
{
    return Crc16(reinterpret_cast<const quint8 *>(bytes.constData()), int(bytes.size()));
}

// How the data of one function code are laid out behind the function byte.
struct RequestLayout
{
    quint8 function;
    bool credentials;  // user name and password at 4..19
    int extraAt;       // offset of the extra byte, or -1
    int dataAt;        // offset of the caller's data
    int fixedData;     // exact number of data bytes, or -1 for "as given"
    int frameOverhead; // length = data length + overhead for variable layouts
    int fixedLength;   // frame length of fixed layouts
};
// The layout of a function code the engine can send, or null.
const RequestLayout *FindRequestLayout(quint8 function);

struct RequestParts
{
    quint8 address = 0;
    quint8 function = 0;
    const quint8 *data = nullptr;
    int dataLength = 0;
    quint8 extraByte = 0;
    const quint8 *userName = nullptr; // UserNameSize bytes
    const quint8 *password = nullptr; // PasswordSize bytes
};

// Builds the request frame (start symbol to CRC) into `tx`, which is zeroed first. Returns the
// frame length, or 0 when the function code has no layout or the data do not fit it; then
// nothing but the zeroing has happened.
int BuildRequestFrame(const RequestParts &parts, FrameBuffer &tx);

// Writes the length byte and the CRC of a frame already laid out in `tx`.
void SealFrame(FrameBuffer &tx, int length);

// Whether the controller needs the long first-byte wait for this request (it writes to memory).
bool RequestNeedsLongWait(const FrameBuffer &tx);
constexpr int LongWaitExtraMs = 7000;

// What the receiver waits for next: the start symbol, the controller's address, a length byte of
// at least a frame's minimum, then the rest of the announced length.
enum class ReceiveStep
{
    Start,
    Address,
    Length,
    Body
};

// Collects an answer byte by byte into the caller's buffer. A byte that does not fit the step
// starts the search again (a start symbol in place of the address is taken as a new start). The
// length byte is at most 255, so an answer can never run past the 256-byte buffer.
class AnswerReceiver
{
public:
    AnswerReceiver(FrameBuffer &rx, quint8 address) : rx_(rx), address_(address) {}

    // Takes one byte; true once a whole frame of the announced length is held.
    bool feed(quint8 byte);
    void reset()
    {
        step_ = ReceiveStep::Start;
        held_ = 0;
    }
    // Start symbol and address accepted: from here on the gap between bytes rules.
    bool answerBegun() const { return step_ == ReceiveStep::Length || step_ == ReceiveStep::Body; }
    ReceiveStep step() const { return step_; }
    // Bytes of the answer taken so far, from its start symbol on.
    int held() const { return held_; }

private:
    FrameBuffer &rx_;
    quint8 address_;
    ReceiveStep step_ = ReceiveStep::Start;
    int held_ = 0;
};

// Where in `bytes` the receiver takes up an answer from `address`: the first start symbol that is
// followed by the address and a possible length, as far as the bytes go (a start at their end
// counts). A log's decoder finds the frame exactly where the engine found it.
struct AnswerSpan
{
    qsizetype start = -1;  // -1: no answer begins
    bool complete = false; // the announced length is all there
};
AnswerSpan ScanForAnswer(QByteArrayView bytes, quint8 address);

// What a complete answer says about the request it answers.
enum class AnswerCheck
{
    Accepted,
    BadCrc,
    Refused
};
AnswerCheck CheckAnswer(const FrameBuffer &rx, quint8 requestFunction);

} // namespace ktv31
