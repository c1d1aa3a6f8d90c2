// The con-file tokenizer: character classes, number words, the line source and tokens.
#include "readcon/ReadCon.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <string>
#include <vector>

using namespace quarnel;
using Reader = TConFileParsingLL;

namespace {

constexpr size_t kBlock = Reader::ReadBlockSize;

// Gives the tests the character source as well as the tokens.
class TReader : public TConFileParsingLL {
public:
  using TConFileParsingLL::NextChar;
  using TConFileParsingLL::UngetChar;
};

// Writes content to a file and opens it in reader.
class OpenedFile {
public:
  OpenedFile(TReader& reader, const std::string& content) {
    testutil::WriteFile(Dir / "objects.con", content);
    reader.OpenInput((Dir / "objects.con").string());
  }
  testutil::TempDir Dir;
};

// The tokens of content up to and including the end of the file, as one line of text:
// W:word N:number / O:other C EOL EOF.
std::string TokensOf(const std::string& content) {
  TReader reader;
  OpenedFile file(reader, content);
  std::string out;
  Token t;
  do {
    reader.NextToken(t);
    if (!out.empty())
      out += ' ';
    switch (t.Kind) {
    case tkEndOfFile:
      out += "EOF";
      break;
    case tkEndOfLine:
      out += "EOL";
      break;
    case tkComment:
      out += t.Text.empty() ? "C" : "C:" + t.Text;
      break;
    case tkWord:
      out += "W:" + t.Text;
      break;
    case tkSlash:
      out += "/";
      break;
    case tkOther:
      out += "O:" + t.Text;
      break;
    case tkNumber: {
      char buffer[64];
      out += "N:" + std::string(buffer, std::to_chars(buffer, buffer + 64, t.Value).ptr);
      break;
    }
    }
  } while (t.Kind != tkEndOfFile);
  reader.CloseInput();
  return out;
}

TEST(CharacterClasses, HoldExactlyTheirBytes) {
  const std::string words = "-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    EXPECT_EQ(Reader::IsBlank(c), b == ' ' || b == '\t') << b;
    EXPECT_EQ(Reader::IsDigit(c), b >= '0' && b <= '9') << b;
    EXPECT_EQ(Reader::IsWordChar(c), words.find(c) != std::string::npos) << b;
  }
}

TEST(NumberRecogniser, AcceptsAndRejectsTheDesignedWords) {
  for (const char* w : {"12", "-12", "007", "1.5", "-1.5", "-.5", "1.e-3", "1.5e-3", "1.5E-3", "-",
                        "1.5e-x", "1.5e-3x", "0"})
    EXPECT_TRUE(Reader::IsNumber(w)) << w;
  for (const char* w : {"", "1.", ".5", "1e-3", "1.5e", "1.5e-", "12abc", "--1", "1.5.3", "a1",
                        "1.5E3", "-.", "_1"})
    EXPECT_FALSE(Reader::IsNumber(w)) << w;
}

TEST(NumberConversion, GivesTheNearestDouble) {
  const std::string hundredZeros(100, '0');
  const std::vector<std::pair<std::string, double>> cases = {
      {"12", 12},
      {"-12", -12},
      {"007", 7},
      {"1.5", 1.5},
      {"-1.5", -1.5},
      {"-.5", -0.5},
      {"1.e-3", 0.001},
      {"1.5e-3", 0.0015},
      {"1.5E-3", 0.0015},
      {"1e+5", 1e5},
      {"100.5", 100.5},
      {"0.1", 0.1},
      {".", 0},
      {"-.e5", 0},
      {"0e99999999999999999999", 0},
      {"1.7976931348623157e308", std::numeric_limits<double>::max()},
      {"1e-310", 1e-310},
      {"4.9e-324", std::numeric_limits<double>::denorm_min()},
      {"1e-400", 0},
      {"1e-99999999999999999999", 0},
      {"12345678901234567890e-345", 0},
      {"1" + std::string(299, '0'), 1e299},
      {"0." + hundredZeros + hundredZeros + hundredZeros + "25e301", 2.5},
  };
  for (const auto& [word, value] : cases)
    EXPECT_EQ(Reader::ConvertNumber(word), value) << word;
  EXPECT_TRUE(std::signbit(Reader::ConvertNumber("-1e-400")));
  EXPECT_TRUE(std::signbit(Reader::ConvertNumber("-.")));
}

TEST(NumberConversion, FailsWithTheWordInTheMessage) {
  for (const char* w : {"-", "1.5e-x", "1.5e-3x", "1e309", "-1e309", "1.7976931348623159e308",
                        "1e99999999999999999999", "0.000000000000000000001e330", "", "e5", "1.5e",
                        "--1", "1,5", "+1", "0x10", "inf", "nan"}) {
    try {
      Reader::ConvertNumber(w);
      ADD_FAILURE() << "no error for " << w;
    } catch (const EConvertError& e) {
      const std::string expected =
          std::string("'").append(w).append("' is not a valid floating point value");
      EXPECT_EQ(e.what(), expected);
    }
  }
}

// A C++ locale whose decimal separator is a comma.
struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(NumberConversion, UsesAFullStopWhateverTheLocale) {
  const std::locale saved = std::locale::global(std::locale(std::locale(), new CommaDecimal));
  const std::string savedC = std::setlocale(LC_ALL, nullptr);
  for (const char* name : {"de_DE.UTF-8", "de_DE", "fr_FR.UTF-8", "fr_FR"})
    if (std::setlocale(LC_ALL, name) != nullptr)
      break;
  const double value = Reader::ConvertNumber("2.5");
  const std::string tokens = TokensOf("2.5/-0.25\n");
  std::setlocale(LC_ALL, savedC.c_str());
  std::locale::global(saved);
  EXPECT_EQ(value, 2.5);
  EXPECT_EQ(tokens, "N:2.5 / N:-0.25 EOL EOF");
}

TEST(LineSource, HandsOutEachLineWithOneLineFeedAndThenNulForever) {
  TReader reader;
  OpenedFile file(reader, std::string("a\r\nb\rc\r\r\n\r", 10));
  std::string got;
  for (int i = 0; i < 10; ++i)
    got += reader.NextChar();
  EXPECT_EQ(got, std::string("a\nbc\n\n\0\0\0\0\0", 10));
}

TEST(LineSource, KeepsOnePendingCharacterAndNeverANul) {
  TReader reader;
  OpenedFile file(reader, "ab");
  reader.UngetChar('x');
  reader.UngetChar('y');
  EXPECT_EQ(reader.NextChar(), 'y');
  EXPECT_EQ(reader.NextChar(), 'a');
  reader.UngetChar('\0');
  EXPECT_EQ(reader.NextChar(), 'b');
}

struct TokenCase {
  std::string What;
  std::string Content;
  std::string Tokens;
};

std::vector<TokenCase> TokenCases() {
  const std::string blanks(kBlock, ' ');
  return {
      {"line feeds", "a b\nc\n", "W:a W:b EOL W:c EOL EOF"},
      {"carriage return and line feed", "a b\r\nc\r\n", "W:a W:b EOL W:c EOL EOF"},
      {"a lone carriage return is dropped", "ab\rcd\n", "W:abcd EOL EOF"},
      {"carriage returns before the line end", "a\r\r\n\r", "W:a EOL EOL EOF"},
      {"the last line needs no line end", "a\nb", "W:a EOL W:b EOL EOF"},
      {"an empty file", "", "EOF"},
      {"empty lines", "\n\r\n", "EOL EOL EOF"},
      {"a line of blanks", " \t  \n", "EOL EOF"},
      {"numbers and slashes", "1/2/3\n1 / 2 /\t3", "N:1 / N:2 / N:3 EOL N:1 / N:2 / N:3 EOL EOF"},
      {"a comment ends its line", "object.create Tree rem a note\n",
       "W:object.create W:Tree C EOL EOF"},
      {"comments in any letter case", "REM x\nRem y\n", "C EOL C EOL EOF"},
      {"a comment on the last line", "rem", "C EOL EOF"},
      {"rem before a slash is a comment", "rem/1/2\n", "C EOL EOF"},
      {"remark and rem.x are words", "remark 1 rem.x\n", "W:remark N:1 W:rem.x EOL EOF"},
      {"a number in a comment is not converted", "rem 1e999 -\n", "C EOL EOF"},
      {"NUL separates words", std::string("ab\0cd\n", 6), "W:ab W:cd EOL EOF"},
      {"NUL runs do not end the file", std::string("\0\0ab \0\0 cd\0\n\0", 14),
       "W:ab W:cd EOL EOL EOF"},
      {"Ctrl-Z at a line start ends the file", "a\n\x1A b\n", "W:a EOL EOF"},
      {"Ctrl-Z inside a line ends the file", "a b\x1A c\nd\n", "W:a W:b EOL EOF"},
      {"Ctrl-Z first", "\x1A\x1A a", "EOF"},
      {"commas", "1,2,3", "N:1 O:, N:2 O:, N:3 EOL EOF"},
      {"a plus sign splits an exponent", "1.5e+3", "W:1.5e O:+ N:3 EOL EOF"},
      {"quotes", "\"a b\"", "O:\" W:a W:b O:\" EOL EOF"},
      {"byte-order mark", "\xEF\xBB\xBFobject.create",
       "O:\xEF O:\xBB O:\xBF W:object.create EOL EOF"},
      {"bytes of 0x80 and above", "caf\xE9 \x80", "W:caf O:\xE9 O:\x80 EOL EOF"},
      {"a line end split between blocks", "x" + blanks.substr(3) + "y\r\nz",
       "W:x W:y EOL W:z EOL EOF"},
      {"a word split between blocks", "x" + blanks.substr(3) + "abcd\n", "W:x W:abcd EOL EOF"},
      {"Ctrl-Z in a later block", "a\n" + blanks + "b\x1A c", "W:a EOL W:b EOL EOF"},
      {"a line longer than several blocks", blanks + blanks + blanks + "a\n", "W:a EOL EOF"},
  };
}

TEST(Tokenizer, YieldsTheDesignedTokens) {
  for (const auto& c : TokenCases())
    EXPECT_EQ(TokensOf(c.Content), c.Tokens) << c.What;
}

TEST(Tokenizer, KeepsTheFirst255CharactersOfAWordButConvertsANumberInFull) {
  const std::string word = "w" + std::string(299, 'x');
  const std::string number = "1" + std::string(299, '0');
  TReader reader;
  OpenedFile file(reader, word + " " + number + "\n");
  Token t;
  reader.NextToken(t);
  EXPECT_EQ(t.Kind, tkWord);
  EXPECT_EQ(t.Text, word.substr(0, 255));
  reader.NextToken(t);
  EXPECT_EQ(t.Kind, tkNumber);
  EXPECT_EQ(t.Value, 1e299);
}

TEST(Tokenizer, KeepsGivingEndOfFile) {
  TReader reader;
  OpenedFile file(reader, "a");
  Token t;
  for (TokenKind kind : {tkWord, tkEndOfLine, tkEndOfFile, tkEndOfFile, tkEndOfFile}) {
    reader.NextToken(t);
    EXPECT_EQ(t.Kind, kind);
  }
}

TEST(Tokenizer, RaisesAConversionErrorForANumberWordThatDoesNotConvert) {
  TReader reader;
  OpenedFile file(reader, "a - b");
  Token t;
  reader.NextToken(t);
  EXPECT_THROW(
      {
        try {
          reader.NextToken(t);
        } catch (const EConvertError& e) {
          EXPECT_STREQ(e.what(), "'-' is not a valid floating point value");
          throw;
        }
      },
      EConvertError);
}

TEST(ReadNumberAndExpectSlash, ReadThreeNumbersAndLeaveTheLineEnd) {
  TReader reader;
  OpenedFile file(reader, "1.5 /-2/ 3.e-1\n");
  Token s;
  EXPECT_EQ(reader.ReadNumber(), 1.5);
  reader.ExpectSlash(s);
  EXPECT_EQ(reader.ReadNumber(), -2);
  reader.ExpectSlash(s);
  EXPECT_EQ(reader.ReadNumber(), 0.3);
  reader.NextToken(s);
  EXPECT_EQ(s.Kind, tkEndOfLine);
}

// Reads number, slash, number, slash, number from content and returns the error message.
std::string TripleError(const std::string& content) {
  TReader reader;
  OpenedFile file(reader, content);
  Token s;
  try {
    reader.ReadNumber();
    reader.ExpectSlash(s);
    reader.ReadNumber();
    reader.ExpectSlash(s);
    reader.ReadNumber();
  } catch (const Exception& e) {
    return e.what();
  }
  return "no error";
}

TEST(ReadNumberAndExpectSlash, RaiseTheParserErrorWhenTheirTokenIsMissing) {
  const std::string number = "Con file parser error: Number expected";
  const std::string slash = "Con file parser error: Forward slash expected";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1/2/3", "no error"}, {"1/2/\n3", number}, {"1 2", slash},        {"1/2", slash},
      {"1,2,3", slash},      {"1/x/3", number},   {"1/rem 2/3", number}, {"", number},
      {"1//3", number},      {"+1/2/3", number},  {"1/2\n/3", slash},
  };
  for (const auto& [content, message] : cases)
    EXPECT_EQ(TripleError(content), message) << content;
}

TEST(ParseError, NamesWhatWasExpected) {
  TReader reader;
  try {
    reader.ParseError("Identifier");
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Con file parser error: Identifier expected");
    return;
  }
  ADD_FAILURE() << "ParseError returned";
}

#ifdef __linux__
TEST(InputFile, AReadFailureRaisesTheTextFileError) {
  TReader reader;
  reader.OpenInput("/proc/self/mem"); // reading at offset 0 fails with EIO
  Token t;
  try {
    reader.NextToken(t);
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Code, EIO);
    EXPECT_EQ(std::string(e.what()), "I/O error " + std::to_string(EIO));
  }
}
#endif

} // namespace
