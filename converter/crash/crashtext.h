#pragma once

// Text output for the crash handler: no allocation, no locks, only write(2).

#include <cstddef>
#include <cstdint>

namespace pixvue::crash {

// Receives text in pieces; numbers are formatted without the C library.
class TextSink {
public:
    virtual ~TextSink() = default;

    virtual void put(const char* data, std::size_t length) = 0;
    // Hands what is buffered on; nothing for a sink without a buffer.
    virtual void flush() {}

    TextSink& text(const char* zeroTerminated);
    TextSink& ch(char c);
    TextSink& dec(long long value, int minDigits = 1);
    TextSink& hex(std::uint64_t value, int minDigits = 1);  // lower case, without "0x"
};

// Text kept in a fixed buffer; what does not fit is cut off.
class FixedText : public TextSink {
public:
    static constexpr std::size_t kCapacity = 4096;

    void put(const char* data, std::size_t length) override;
    void clear();

    const char* c_str() const { return m_text; }
    std::size_t size() const { return m_nSize; }
    bool isTruncated() const { return m_bTruncated; }

private:
    char m_text[kCapacity + 1] = {};
    std::size_t m_nSize = 0;
    bool m_bTruncated = false;
};

// Text written to a file descriptor through a small buffer.
class FdWriter : public TextSink {
public:
    explicit FdWriter(int fd) : m_fd(fd) {}
    ~FdWriter() override { flush(); }
    FdWriter(const FdWriter&) = delete;
    FdWriter& operator=(const FdWriter&) = delete;

    void put(const char* data, std::size_t length) override;
    void flush() override;

private:
    void writeAll(const char* data, std::size_t length);

    int m_fd;
    char m_buffer[4096];
    std::size_t m_nUsed = 0;
};

std::size_t textLength(const char* zeroTerminated);

}  // namespace pixvue::crash
