#include "crashtext.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace pixvue::crash {

std::size_t textLength(const char* zeroTerminated) {
    std::size_t length = 0;
    while (zeroTerminated != nullptr && zeroTerminated[length] != '\0') {
        ++length;
    }
    return length;
}

TextSink& TextSink::text(const char* zeroTerminated) {
    put(zeroTerminated, textLength(zeroTerminated));
    return *this;
}

TextSink& TextSink::ch(char c) {
    put(&c, 1);
    return *this;
}

TextSink& TextSink::dec(long long value, int minDigits) {
    char digits[24];
    int count = 0;
    // Negated digit by digit, so that the smallest value does not overflow.
    const bool negative = value < 0;
    do {
        const int digit = static_cast<int>(value % 10);
        digits[count++] = static_cast<char>('0' + (negative ? -digit : digit));
        value /= 10;
    } while (value != 0 && count < 20);
    while (count < minDigits && count < 20) {
        digits[count++] = '0';
    }
    if (negative) {
        ch('-');
    }
    while (count > 0) {
        ch(digits[--count]);
    }
    return *this;
}

TextSink& TextSink::hex(std::uint64_t value, int minDigits) {
    static const char kDigits[] = "0123456789abcdef";
    char digits[16];
    int count = 0;
    do {
        digits[count++] = kDigits[value & 0xf];
        value >>= 4;
    } while (value != 0 && count < 16);
    while (count < minDigits && count < 16) {
        digits[count++] = '0';
    }
    while (count > 0) {
        ch(digits[--count]);
    }
    return *this;
}

void FixedText::put(const char* data, std::size_t length) {
    const std::size_t room = kCapacity - m_nSize;
    if (length > room) {
        length = room;
        m_bTruncated = true;
    }
    std::memcpy(m_text + m_nSize, data, length);
    m_nSize += length;
    m_text[m_nSize] = '\0';
}

void FixedText::clear() {
    m_nSize = 0;
    m_text[0] = '\0';
    m_bTruncated = false;
}

void FdWriter::put(const char* data, std::size_t length) {
    if (m_nUsed + length > sizeof(m_buffer)) {
        flush();
    }
    if (length > sizeof(m_buffer)) {
        writeAll(data, length);
        return;
    }
    std::memcpy(m_buffer + m_nUsed, data, length);
    m_nUsed += length;
}

void FdWriter::flush() {
    writeAll(m_buffer, m_nUsed);
    m_nUsed = 0;
}

void FdWriter::writeAll(const char* data, std::size_t length) {
    while (length > 0 && m_fd >= 0) {
        const ssize_t written = ::write(m_fd, data, length);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;  // disk full or closed: the rest is lost
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
}

}  // namespace pixvue::crash
