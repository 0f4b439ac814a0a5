// Frame layouts by function code, CRC-16 and the answer receiver's state machine.
#include "protocol/framing.h"

#include <algorithm>
#include <cstring>

namespace ktv31 {

quint16 Crc16(const quint8 *data, int length)
{
    quint16 crc = 0xFFFF;
    for (int i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

namespace {

constexpr RequestLayout kLayouts[] = {
    {TableFunctionCode, false, -1, 4, -1, 6, 0},
    {1, false, 4, 5, 3, 0, 10},
    {2, true, 20, 21, -1, 23, 0},
    {7, false, -1, 4, 7, 0, 13},
    {8, false, -1, 4, 15, 0, 21},
    {9, true, -1, 20, 12, 0, 34},
    {11, true, -1, 20, 8, 0, 30},
    {12, true, -1, 20, 2, 0, 24},
    {25, true, -1, 20, 0, 0, 22},
};

int frameLengthFor(const RequestLayout &layout, int dataLength)
{
    if (layout.fixedData >= 0)
        return dataLength == layout.fixedData ? layout.fixedLength : 0;
    const int length = dataLength + layout.frameOverhead;
    if (dataLength < 0 || length > MaxFrameLength)
        return 0;
    if (layout.function == TableFunctionCode && dataLength > MaxTableRequestBytes)
        return 0;
    return length;
}

} // namespace

const RequestLayout *FindRequestLayout(quint8 function)
{
    for (const RequestLayout &layout : kLayouts)
        if (layout.function == function)
            return &layout;
    return nullptr;
}

void SealFrame(FrameBuffer &tx, int length)
{
    tx[FrameOffset::Length] = quint8(length);
    const quint16 crc = Crc16(tx.data(), length - 2);
    tx[length - 2] = quint8(crc & 0xFF);
    tx[length - 1] = quint8(crc >> 8);
}

int BuildRequestFrame(const RequestParts &parts, FrameBuffer &tx)
{
    tx.fill(0);
    tx[FrameOffset::Start] = RequestStartSymbol;
    tx[FrameOffset::Address] = parts.address;
    tx[FrameOffset::Function] = parts.function;
    const RequestLayout *layout = FindRequestLayout(parts.function);
    if (!layout)
        return 0;
    const int length = frameLengthFor(*layout, parts.dataLength);
    if (length == 0 || (parts.dataLength > 0 && !parts.data))
        return 0;
    if (layout->credentials) {
        if (parts.userName)
            std::memcpy(tx.data() + FrameOffset::UserName, parts.userName, UserNameSize);
        if (parts.password)
            std::memcpy(tx.data() + FrameOffset::Password, parts.password, PasswordSize);
    }
    if (layout->extraAt >= 0)
        tx[size_t(layout->extraAt)] = parts.extraByte;
    if (parts.dataLength > 0)
        std::memcpy(tx.data() + layout->dataAt, parts.data, size_t(parts.dataLength));
    SealFrame(tx, length);
    return length;
}

bool RequestNeedsLongWait(const FrameBuffer &tx)
{
    constexpr int kWriteCountAt = FrameOffset::Data + 5;
    const quint8 function = tx[FrameOffset::Function];
    return function == 2 || (function == TableFunctionCode && tx[kWriteCountAt] != 0);
}

bool AnswerReceiver::feed(quint8 byte)
{
    switch (step_) {
    case ReceiveStep::Start:
        held_ = 0;
        if (byte == AnswerStartSymbol)
            step_ = ReceiveStep::Address;
        break;
    case ReceiveStep::Address:
        if (byte == address_) {
            step_ = ReceiveStep::Length;
        } else if (byte == AnswerStartSymbol) {
            held_ = 0;
        } else {
            reset();
            return false;
        }
        break;
    case ReceiveStep::Length:
        if (byte < MinFrameLength) {
            reset();
            return false;
        }
        step_ = ReceiveStep::Body;
        break;
    case ReceiveStep::Body:
        break;
    }
    if (step_ == ReceiveStep::Start)
        return false;
    rx_[size_t(held_++)] = byte;
    return step_ == ReceiveStep::Body && held_ >= rx_[FrameOffset::Length];
}

AnswerSpan ScanForAnswer(QByteArrayView bytes, quint8 address)
{
    FrameBuffer scratch{};
    AnswerReceiver receiver(scratch, address);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (receiver.feed(quint8(bytes[i])))
            return {i + 1 - receiver.held(), true};
    }
    if (receiver.held() == 0)
        return {};
    return {bytes.size() - receiver.held(), false};
}

AnswerCheck CheckAnswer(const FrameBuffer &rx, quint8 requestFunction)
{
    const int length = rx[FrameOffset::Length];
    if (Crc16(rx.data(), length) != 0)
        return AnswerCheck::BadCrc;
    if (rx[FrameOffset::Function] != (requestFunction | AnswerFunctionFlag))
        return AnswerCheck::Refused;
    return AnswerCheck::Accepted;
}

} // namespace ktv31
