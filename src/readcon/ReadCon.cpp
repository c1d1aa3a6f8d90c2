// The con-file tokenizer and the list of static objects read from an object file.
#include "readcon/ReadCon.h"

#include "common/TextFileError.h"

#include <algorithm>
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

} // namespace

bool TConFileParsingLL::IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool TConFileParsingLL::IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool TConFileParsingLL::IsWordChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.' ||
         c == '_';
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
  // The grammar is checked here; from_chars, which ignores the locale, then converts.
  const size_t n = word.size();
  size_t i = 0;
  const bool negative = i < n && word[i] == '-';
  if (negative)
    ++i;
  const size_t mantissaStart = i;
  while (i < n && IsDigit(word[i]))
    ++i;
  const size_t intDigits = i - mantissaStart;
  size_t fracDigits = 0;
  const bool point = i < n && word[i] == '.';
  if (point) {
    ++i;
    const size_t fracStart = i;
    while (i < n && IsDigit(word[i]))
      ++i;
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
  const auto result = std::from_chars(word.data(), word.data() + n, value);
  if (result.ec == std::errc::result_out_of_range) {
    const std::string_view digits = word.substr(mantissaStart, mantissaEnd - mantissaStart);
    if (DecimalMagnitude(digits, intDigits, exponent) >= 0)
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
  if (!Block)
    Block = std::make_unique_for_overwrite<char[]>(ReadBlockSize);
  BlockPos = 0;
  BlockLen = 0;
  InputDrained = false;
  PendingChar = 0;
  LineBuffer.clear();
  LinePos = 0;
  AtEndOfFile = false;
  LineNumber = 0;
}

void TConFileParsingLL::CloseInput() {
  Block.reset();
  if (!InputFile.Close())
    RaiseLastTextFileError();
}

void TConFileParsingLL::AbandonInput() noexcept {
  Block.reset();
  InputFile.Close();
}

bool TConFileParsingLL::FillBlock() {
  if (InputDrained)
    return false;
  const int64_t got = InputFile.Read(Block.get(), ReadBlockSize);
  if (got < 0)
    RaiseLastTextFileError();
  BlockPos = 0;
  BlockLen = static_cast<size_t>(got);
  if (BlockLen < ReadBlockSize)
    InputDrained = true;
  // The first Ctrl-Z ends the file: nothing from it on is read.
  if (const void* stop = std::memchr(Block.get(), '\x1A', BlockLen)) {
    BlockLen = static_cast<size_t>(static_cast<const char*>(stop) - Block.get());
    InputDrained = true;
  }
  return BlockLen > 0;
}

bool TConFileParsingLL::ReadLine() {
  LineBuffer.clear();
  bool any = false;
  for (;;) {
    if (BlockPos == BlockLen && !FillBlock())
      break;
    const char* start = Block.get() + BlockPos;
    const size_t available = BlockLen - BlockPos;
    const auto* lf = static_cast<const char*>(std::memchr(start, '\n', available));
    const size_t length = lf != nullptr ? static_cast<size_t>(lf - start) : available;
    // Every carriage return goes: the one before the line feed is part of the line end,
    // any other one is dropped from the text.
    if (std::memchr(start, '\r', length) == nullptr) {
      LineBuffer.append(start, length);
    } else {
      for (size_t k = 0; k < length; ++k)
        if (start[k] != '\r')
          LineBuffer.push_back(start[k]);
    }
    BlockPos += length;
    any = true;
    if (lf != nullptr) {
      ++BlockPos;
      break;
    }
  }
  if (!any)
    return false;
  LineBuffer.push_back('\n');
  ++LineNumber;
  return true;
}

char TConFileParsingLL::GetLineChar() {
  if (LinePos >= LineBuffer.size()) {
    if (!ReadLine()) {
      LineBuffer.assign(1, '\0');
      AtEndOfFile = true;
    }
    LinePos = 0;
  }
  return LineBuffer[LinePos++];
}

char TConFileParsingLL::NextChar() {
  if (PendingChar != '\0')
    return std::exchange(PendingChar, '\0');
  return GetLineChar();
}

// Pushing back NUL has no effect: 0 means that nothing is pending.
void TConFileParsingLL::UngetChar(char c) {
  PendingChar = c;
}

void TConFileParsingLL::SkipBlanks() {
  char c;
  do
    c = NextChar();
  while (IsBlank(c));
  UngetChar(c);
}

void TConFileParsingLL::NextToken(Token& t) {
  char c;
  for (;;) {
    SkipBlanks();
    c = NextChar();
    // A NUL byte inside a line only separates tokens; the end of the file is the NUL
    // that the line source gives once the file is used up.
    if (c != '\0' || AtEndOfFile)
      break;
  }
  if (c == '\0') {
    t.Kind = tkEndOfFile;
  } else if (c == '\n') {
    t.Kind = tkEndOfLine;
  } else if (c == '/') {
    t.Kind = tkSlash;
  } else if (IsWordChar(c)) {
    // Hot path: the rest of the word is taken straight from the line, which ends in a
    // line feed, so the scan stops inside it. Nothing is pending after NextChar, and the
    // character that stops the word is left to be read next, as if pushed back.
    const size_t start = LinePos;
    size_t end = start;
    while (end < LineBuffer.size() && IsWordChar(LineBuffer[end]))
      ++end;
    LinePos = end;
    Word.assign(1, c);
    Word.append(LineBuffer, start, end - start);
    if (SameWord(Word, "rem")) {
      // The rest of the line is the comment; its line feed stays to be read.
      LinePos = std::min(LineBuffer.find('\n', LinePos), LineBuffer.size());
      t.Kind = tkComment;
      t.Text.clear();
    } else if (IsNumber(Word)) {
      t.Kind = tkNumber;
      t.Value = ConvertNumber(Word);
    } else {
      t.Kind = tkWord;
      t.Text.assign(Word, 0, MaxTextLength);
    }
  } else {
    t.Kind = tkOther;
    t.Text.assign(1, c);
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

void TStaticObjectLL::LoadFromFile(const std::string& fileName, TStaticObjectNodeClass nodeClass) {
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
            Add(std::move(CurrentNode));
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
      Add(std::move(CurrentNode));
  } catch (...) {
    CurrentNode.reset();
    AbandonInput();
    throw;
  }
  CloseInput();
}

} // namespace quarnel
