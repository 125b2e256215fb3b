// Byte text, byte strings and text arrays: the values the whole program computes with.
//
// A Text is code-page-936 byte text that holds no zero byte; lengths and positions count
// bytes (a Chinese character is 2) and positions start at 1. Operations clamp out-of-range
// positions and counts instead of failing. A ByteString holds any bytes, zeros included.
// Every operation returns a fresh value; none changes its arguments (except ArrayAppend).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Text {
public:
  Text() = default;
  Text(const char* s) : bytes_(s ? s : "") {}
  // Keeps the bytes before the first zero byte, as a zero-terminated text would.
  Text(std::string_view s) : bytes_(s.substr(0, s.find('\0'))) {}
  Text(const std::string& s) : Text(std::string_view(s)) {}
  // Takes over a result built in place, without copying it.
  Text(std::string&& s) : bytes_(std::move(s)) {
    const std::size_t zero = bytes_.find('\0');
    if (zero != std::string::npos) bytes_.resize(zero);
  }

  const std::string& Bytes() const { return bytes_; }
  const char* CStr() const { return bytes_.c_str(); }
  int Length() const { return static_cast<int>(bytes_.size()); }
  bool Empty() const { return bytes_.empty(); }
  operator std::string_view() const { return bytes_; }
  friend bool operator==(const Text& a, const Text& b) { return a.bytes_ == b.bytes_; }

private:
  std::string bytes_;
};

class ByteString {
public:
  ByteString() = default;
  explicit ByteString(std::string bytes) : bytes_(std::move(bytes)) {}
  ByteString(const void* data, std::size_t n)
      : bytes_(static_cast<const char*>(data), n) {}

  const std::string& Bytes() const { return bytes_; }
  std::string& MutableBytes() { return bytes_; }
  const unsigned char* Data() const { return reinterpret_cast<const unsigned char*>(bytes_.data()); }
  unsigned char* MutableData() { return reinterpret_cast<unsigned char*>(bytes_.data()); }
  std::string_view View() const { return bytes_; }
  int Length() const { return static_cast<int>(bytes_.size()); }
  bool Empty() const { return bytes_.empty(); }
  friend bool operator==(const ByteString& a, const ByteString& b) { return a.bytes_ == b.bytes_; }

private:
  std::string bytes_;
};

struct TextArray {
  std::vector<Text> items;
};

enum class ArrayStatus { Ok, IndexOutOfRange };

// Text operations.
int TextLength(const Text& t);
Text TextLeft(const Text& t, int n);
Text TextRight(const Text& t, int n);
Text TextMid(const Text& t, int start, int n);
// Position of the first occurrence of sought at or after start, or -1.
int FindText(const Text& t, const Text& sought, int start = 1, bool ignoreCase = false);
// Position of the last occurrence that ends before start (whole text when start is left out).
int FindTextReverse(const Text& t, const Text& sought, std::optional<int> start = std::nullopt,
                    bool ignoreCase = false);
TextArray SplitText(const Text& t, const Text& delimiter = ",",
                    std::optional<int> maxCount = std::nullopt);
// count < 0 means all occurrences.
Text ReplaceText(const Text& t, const Text& sought, const Text& replacement = Text(),
                 int start = 1, int count = -1, bool caseSensitive = true);
Text TrimText(const Text& t);
Text ToUpper(const Text& t);
Text ToLower(const Text& t);
Text RepeatText(const Text& t, int n);
Text BlankText(int n);
Text ConcatText(std::initializer_list<std::string_view> parts);
int CompareText(const Text& a, const Text& b);
int CharCode(const Text& t, int position = 1);
Text CharFromCode(int code);

// Byte-string operations.
int ByteLength(const ByteString& b);
ByteString BytesLeft(const ByteString& b, int n);
ByteString BytesMid(const ByteString& b, int start, int n);
ByteString BlankBytes(int n);
ByteString ConcatBytes(std::initializer_list<std::string_view> parts);
bool BytesEqual(const ByteString& a, const ByteString& b);
ByteString ToBytes(const Text& t);
Text BytesToText(const ByteString& b);
ByteString PointerToBytes(const void* address, int n);
void WriteToMemory(const ByteString& b, void* address);
int BitOr(std::initializer_list<int> values);

// Array operations.
int ArrayCount(const TextArray& a);
// Copies element index (1-based) into out; any other index leaves out alone and says so.
[[nodiscard]] ArrayStatus ArrayElement(const TextArray& a, int index, Text& out);
void ArrayAppend(TextArray& a, const Text& t);
