// The con-file tokenizer and the list of static objects read from an object file.
#include "readcon/ReadCon.h"

#include "common/TextFileError.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <system_error>
#include <utility>

namespace quarnel {

namespace {

// True when text, with its ASCII letters lowered, is exactly lower.
bool SameWord(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size())
    return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (LowerAscii(text[i]) != lower[i])
      return false;
  return true;
}

[[noreturn]] void RaiseConvertError(std::string_view word) {
  throw EConvertError("'" + std::string(word) + "' is not a valid floating point value");
}

// The power of ten of the leading non-zero digit of a number that from_chars found out of
// range: 0 or more means it overflowed, below 0 that it underflowed. The exponent is
// added with saturation, so an exponent of any length still decides the direction.
int64_t DecimalMagnitude(std::string_view digits, size_t intDigits, int64_t exponent) {
  int64_t magnitude = 0;
  size_t position = 0; // index among the digits, the full stop left out
  for (char c : digits) {
    if (c == '.')
      continue;
    if (c != '0') {
      magnitude = static_cast<int64_t>(intDigits) - 1 - static_cast<int64_t>(position);
      break;
    }
    ++position;
  }
  return magnitude + exponent;
}

// The word characters: digits, ASCII letters, '-', '.' and '_'.
constexpr std::array<bool, 256> kWordChars = [] {
  std::array<bool, 256> chars{};
  for (int c = 0; c < 256; ++c)
    chars[static_cast<size_t>(c)] = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                                    (c >= 'A' && c <= 'Z') || c == '-' || c == '.' || c == '_';
  return chars;
}();

// The digits of a number's mantissa as one integer, leading zeros left out, while it holds
// 19 digits or fewer.
struct TDigits {
  uint64_t Value = 0;
  int Count = 0;
  void Add(char c) {
    if (Value == 0 && c == '0')
      return;
    if (Count++ < 19)
      Value = Value * 10 + static_cast<uint64_t>(c - '0');
  }
};

// The exact short form of reading a number (Clinger, "How to Read Floating Point Numbers
// Accurately", PLDI 1990): a mantissa below 2^53 and a power of ten from 10^-22 to 10^22 are
// both doubles exactly, so one multiplication or division, rounded once to the nearest
// double, gives the nearest double to mantissa × 10^scale, as from_chars does.
bool ExactShortForm(const TDigits& digits, int64_t scale, double& value) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (digits.Count > 19 || digits.Value >= (uint64_t{1} << 53) || scale < -22 || scale > 22)
    return false;
  const auto mantissa = static_cast<double>(digits.Value);
  value = scale < 0 ? mantissa / kPowers[-scale] : mantissa * kPowers[scale];
  return true;
}

// The value of the number word of the usual form that begins at text, digits with or without
// a fraction and no exponent, of up to 19 digits (the exact short form), in one pass, and the
// character after it; null when the word that begins there is not of this form, which then
// IsNumber and ConvertNumber take. The text ends in a line feed, as the lines held do.
const char* PlainNumber(const char* text, double& value) {
  const char* p = text;
  const bool negative = *p == '-';
  p += negative ? 1 : 0;
  const char* const start = p;
  TDigits digits;
  while (TConFileParsingLL::IsDigit(*p))
    digits.Add(*p++);
  if (p == start)
    return nullptr;
  int64_t fracDigits = 0;
  if (*p == '.') {
    const char* const fracStart = ++p;
    while (TConFileParsingLL::IsDigit(*p))
      digits.Add(*p++);
    fracDigits = p - fracStart;
    if (fracDigits == 0)
      return nullptr;
  }
  // The word ends here, unless a word character or a carriage return within the word follows.
  if (TConFileParsingLL::IsWordChar(*p) || (*p == '\r' && p[1] != '\n'))
    return nullptr;
  if (!ExactShortForm(digits, -fracDigits, value))
    return nullptr;
  value = negative ? -value : value;
  return p;
}

} // namespace

bool TConFileParsingLL::IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool TConFileParsingLL::IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool TConFileParsingLL::IsWordChar(char c) {
  return kWordChars[static_cast<unsigned char>(c)];
}

bool TConFileParsingLL::IsNumber(std::string_view w) {
  const size_t n = w.size();
  if (n == 0 || (!IsDigit(w[0]) && w[0] != '-'))
    return false;
  size_t i = 1;
  while (i < n && IsDigit(w[i]))
    ++i;
  if (i == n)
    return true;
  if (w[i] != '.' || i + 1 == n)
    return false;
  ++i;
  while (i < n && IsDigit(w[i]))
    ++i;
  if (i == n)
    return true;
  if ((w[i] != 'e' && w[i] != 'E') || i + 1 == n)
    return false;
  ++i;
  return (w[i] == '+' || w[i] == '-') && i + 1 < n;
}

double TConFileParsingLL::ConvertNumber(std::string_view word) {
  // The grammar is checked here, the digits gathered as they go by; from_chars, which ignores
  // the locale, converts what the exact short form below does not take.
  const size_t n = word.size();
  size_t i = 0;
  const bool negative = i < n && word[i] == '-';
  if (negative)
    ++i;
  TDigits digits;
  const size_t mantissaStart = i;
  while (i < n && IsDigit(word[i]))
    digits.Add(word[i++]);
  const size_t intDigits = i - mantissaStart;
  size_t fracDigits = 0;
  const bool point = i < n && word[i] == '.';
  if (point) {
    ++i;
    const size_t fracStart = i;
    while (i < n && IsDigit(word[i]))
      digits.Add(word[i++]);
    fracDigits = i - fracStart;
  }
  if (intDigits == 0 && !point)
    RaiseConvertError(word);
  const size_t mantissaEnd = i;
  int64_t exponent = 0;
  if (i < n && (word[i] == 'e' || word[i] == 'E')) {
    ++i;
    const bool negativeExponent = i < n && word[i] == '-';
    if (i < n && (word[i] == '+' || word[i] == '-'))
      ++i;
    const size_t expStart = i;
    for (; i < n && IsDigit(word[i]); ++i)
      exponent = std::min<int64_t>(exponent * 10 + (word[i] - '0'), int64_t{1} << 40);
    if (i == expStart)
      RaiseConvertError(word);
    if (negativeExponent)
      exponent = -exponent;
  }
  if (i != n)
    RaiseConvertError(word);

  // A full stop without digits ("." or "-.e5") is a zero that from_chars does not take.
  if (intDigits + fracDigits == 0)
    return negative ? -0.0 : 0.0;
  double value = 0;
  if (ExactShortForm(digits, exponent - static_cast<int64_t>(fracDigits), value))
    return negative ? -value : value;
  const auto result = std::from_chars(word.data(), word.data() + n, value);
  if (result.ec == std::errc::result_out_of_range) {
    const std::string_view mantissa = word.substr(mantissaStart, mantissaEnd - mantissaStart);
    if (DecimalMagnitude(mantissa, intDigits, exponent) >= 0)
      RaiseConvertError(word);
    return negative ? -0.0 : 0.0; // underflow below the smallest subnormal
  }
  if (result.ec != std::errc() || result.ptr != word.data() + n)
    RaiseConvertError(word);
  return value;
}

void TConFileParsingLL::OpenInput(const std::string& fileName) {
  if (!InputFile.OpenForReading(fileName))
    RaiseLastTextFileError();
  if (!Buffer) {
    Capacity = ReadBlockSize + 1;
    Buffer = std::make_unique_for_overwrite<char[]>(Capacity);
  }
  Held = Pos = End = Searched = 0;
  InputDrained = false;
  LinesPassed = 0;
  LineNumber = 0;
}

void TConFileParsingLL::CloseInput() {
  Buffer.reset();
  if (!InputFile.Close())
    RaiseLastTextFileError();
}

void TConFileParsingLL::AbandonInput() noexcept {
  Buffer.reset();
  InputFile.Close();
}

bool TConFileParsingLL::ReadBlock() {
  if (InputDrained)
    return false;
  if (Capacity - 1 - Held < ReadBlockSize) { // a line longer than a block: room for more
    const size_t capacity = 2 * (Capacity - 1) + 1;
    auto larger = std::make_unique_for_overwrite<char[]>(capacity);
    std::memcpy(larger.get(), Buffer.get(), Held);
    Buffer = std::move(larger);
    Capacity = capacity;
  }
  char* to = Buffer.get() + Held;
  const int64_t got = InputFile.Read(to, ReadBlockSize);
  if (got < 0)
    RaiseLastTextFileError();
  auto count = static_cast<size_t>(got);
  if (count < ReadBlockSize)
    InputDrained = true;
  // The first Ctrl-Z ends the file: nothing from it on is read.
  if (const void* stop = std::memchr(to, '\x1A', count)) {
    count = static_cast<size_t>(static_cast<const char*>(stop) - to);
    InputDrained = true;
  }
  Held += count;
  return count > 0;
}

// The bytes after the last line feed are a line begun: they move to the front of the buffer,
// and a block is read after them, until a line feed comes or the file ends.
bool TConFileParsingLL::NextLines() {
  std::memmove(Buffer.get(), Buffer.get() + End, Held - End);
  Held -= End;
  Searched -= End;
  Pos = End = 0;
  for (;;) {
    for (size_t k = Held; k > Searched; --k)
      if (Buffer[k - 1] == '\n') {
        End = k;
        Searched = k;
        return true;
      }
    Searched = Held;
    if (!ReadBlock()) {
      if (Held == 0)
        return false;
      Buffer[Held++] = '\n'; // the last line lacks its line feed; a byte is kept for it
      End = Searched = Held;
      return true;
    }
  }
}

char TConFileParsingLL::CurrentChar() {
  // The lines held end in a line feed, so a carriage return is never the last byte.
  char c = Buffer[Pos];
  while (c == '\r') {
    if (Buffer[Pos + 1] == '\n')
      return '\n';
    c = Buffer[++Pos];
  }
  return c;
}

std::string_view TConFileParsingLL::TakeWord() {
  size_t start = Pos, end = Pos + 1;
  for (;;) {
    while (IsWordChar(Buffer[end])) // stops at the line feed at the latest
      ++end;
    if (Buffer[end] != '\r' || Buffer[end + 1] == '\n')
      break;
    // A carriage return within the word is dropped: the word's start moves up over it.
    std::memmove(&Buffer[start + 1], &Buffer[start], end - start);
    ++start;
    ++end;
  }
  Pos = end;
  return {&Buffer[start], end - start};
}

void TConFileParsingLL::NextToken(Token& t) {
  t.Text = {};
  char c;
  for (;;) {
    if (Pos == End && !NextLines()) {
      t.Kind = tkEndOfFile;
      return;
    }
    c = CurrentChar();
    while (IsBlank(c)) { // a line feed ends blanks at the latest
      ++Pos;
      c = CurrentChar();
    }
    if (c != '\0')
      break;
    // A NUL is passed over, and the character after it taken as it is: a NUL again starts
    // the search over. A line feed comes after it at the latest.
    ++Pos;
    c = CurrentChar();
    if (c != '\0')
      break;
    ++Pos;
  }
  LineNumber = LinesPassed + 1;
  if (c == '\n') {
    t.Kind = tkEndOfLine;
    Pos += Buffer[Pos] == '\r' ? 2 : 1;
    ++LinesPassed;
  } else if (c == '/') {
    t.Kind = tkSlash;
    ++Pos;
  } else if (const char* end = nullptr;
             (IsDigit(c) || c == '-') && (end = PlainNumber(&Buffer[Pos], t.Value)) != nullptr) {
    t.Kind = tkNumber;
    Pos = static_cast<size_t>(end - Buffer.get());
  } else if (IsWordChar(c)) {
    const std::string_view word = TakeWord();
    if (word.size() == 3 && SameWord(word, "rem")) {
      // The rest of the line is the comment; its line feed stays to be read.
      Pos = static_cast<size_t>(
          static_cast<const char*>(std::memchr(&Buffer[Pos], '\n', End - Pos)) - Buffer.get());
      t.Kind = tkComment;
    } else if (IsNumber(word)) {
      t.Kind = tkNumber;
      t.Value = ConvertNumber(word);
    } else {
      t.Kind = tkWord;
      t.Text = word.substr(0, MaxTextLength);
    }
  } else {
    t.Kind = tkOther;
    t.Text = {&Buffer[Pos++], 1};
  }
}

double TConFileParsingLL::ReadNumber() {
  Token t;
  NextToken(t);
  if (t.Kind != tkNumber)
    ParseError("Number");
  return t.Value;
}

void TConFileParsingLL::ExpectSlash(Token& t) {
  NextToken(t);
  if (t.Kind != tkSlash)
    ParseError("Forward slash");
}

void TConFileParsingLL::ParseError(const std::string& what) {
  throw Exception("Con file parser error: " + what + " expected");
}

void TStaticObjectLL::AddCurrentNode(const TObjectAdded& added) {
  auto& node = static_cast<TStaticObjectNode&>(*CurrentNode);
  Add(std::move(CurrentNode));
  if (added)
    added(node);
}

void TStaticObjectLL::LoadFromFile(const std::string& fileName, TStaticObjectNodeClass nodeClass,
                                   const TObjectAdded& added) {
  OpenInput(fileName);
  try {
    Token t;
    Token slash; // kept apart from t, so the command word stays in t
    NextToken(t);
    while (t.Kind != tkEndOfFile) {
      if (t.Kind == tkWord) {
        auto* node = static_cast<TStaticObjectNode*>(CurrentNode.get());
        TVector3* target = nullptr;
        if (SameWord(t.Text, "object.create")) {
          if (CurrentNode)
            AddCurrentNode(added);
          const int64_t line = LineNumber;
          NextToken(t);
          if (t.Kind != tkWord)
            ParseError("Identifier");
          std::unique_ptr<TStaticObjectNode> created = nodeClass();
          created->Name = t.Text;
          created->Scale = {1, 1, 1};
          created->Line = line;
          CurrentNode = std::move(created);
        } else if (node == nullptr) {
          // A property command before any object is passed over with its arguments.
        } else if (SameWord(t.Text, "object.absoluteposition")) {
          target = &node->Position;
        } else if (SameWord(t.Text, "object.rotation")) {
          target = &node->Rotation;
        } else if (SameWord(t.Text, "object.geometry.scale")) {
          target = &node->Scale;
        }
        if (target != nullptr) {
          target->X = ReadNumber();
          ExpectSlash(slash);
          target->Y = ReadNumber();
          ExpectSlash(slash);
          target->Z = ReadNumber();
        }
      }
      NextToken(t);
    }
    if (CurrentNode)
      AddCurrentNode(added);
  } catch (...) {
    CurrentNode.reset();
    AbandonInput();
    throw;
  }
  CloseInput();
}

} // namespace quarnel
