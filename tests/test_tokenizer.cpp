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
using testutil::MessageOf;

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

std::string NumberText(double value) {
  char buffer[64];
  return std::string(buffer, std::to_chars(buffer, buffer + 64, value).ptr);
}

// The tokens of content up to and including the end of the file, as one line of text:
// W:word N:number / O:other C EOL EOF, then "!" if the end of the file did not repeat, or a
// conversion error with its message.
std::string TokensOf(const std::string& content) {
  static const char* const kKinds[] = {"?", "EOF", "EOL", "C", "W", "N", "/", "O"};
  TReader reader;
  OpenedFile file(reader, content);
  std::string out;
  Token t;
  try {
    do {
      reader.NextToken(t);
      out += (out.empty() ? "" : " ") + std::string(kKinds[t.Kind < 8 ? t.Kind : 0]);
      if (t.Kind == tkNumber)
        out += ":" + NumberText(t.Value);
      else if ((t.Kind == tkWord || t.Kind == tkOther || t.Kind == tkComment) && !t.Text.empty())
        out += ":" + t.Text;
    } while (t.Kind != tkEndOfFile);
  } catch (const EConvertError& e) {
    return out + " conversion error " + e.what();
  }
  for (int again = 0; again < 2; ++again) {
    reader.NextToken(t);
    if (t.Kind != tkEndOfFile)
      out += "!";
  }
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
  const std::string zeros(300, '0'), ones = "1" + zeros.substr(1), small = "0." + zeros + "25e301";
  std::vector<std::pair<std::string, double>> cases = {
      {"12", 12},         {"-12", -12},     {"007", 7},         {"1.5", 1.5}, {"-1.5", -1.5},
      {"-.5", -0.5},      {"1.e-3", 0.001}, {"1.5e-3", 0.0015}, {"0.1", 0.1}, {"1e+5", 1e5},
      {"1.5E-3", 0.0015}, {"100.5", 100.5}, {".", 0},           {"-.e5", 0},  {"1e-310", 1e-310},
      {"1e-400", 0},      {ones, 1e299},    {small, 2.5}};
  for (const char* zero :
       {"0e99999999999999999999", "1e-99999999999999999999", "12345678901234567890e-345"})
    cases.push_back({zero, 0});
  cases.push_back({"4.9e-324", std::numeric_limits<double>::denorm_min()});
  cases.push_back({"1.7976931348623157e308", std::numeric_limits<double>::max()});
  for (const auto& [word, value] : cases)
    EXPECT_EQ(Reader::ConvertNumber(word), value) << word;
  EXPECT_TRUE(std::signbit(Reader::ConvertNumber("-1e-400")));
  EXPECT_TRUE(std::signbit(Reader::ConvertNumber("-.")));
}

TEST(NumberConversion, FailsWithTheWordInTheMessage) {
  for (const std::string w : {"-", "1.5e-x", "1.5e-3x", "1e309", "-1e309", "1.7976931348623159e308",
                              "1e99999999999999999999", "0.000000000000000000001e330", "", "e5",
                              "1.5e", "--1", "1,5", "+1", "0x10", "inf", "nan"})
    EXPECT_EQ(MessageOf<EConvertError>([&] { Reader::ConvertNumber(w); }),
              "'" + w + "' is not a valid floating point value");
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
  std::string What, Content, Tokens;
};

TEST(Tokenizer, YieldsTheDesignedTokens) {
  const std::string blanks(kBlock, ' ');
  const std::string longWord = "w" + std::string(299, 'x');
  const std::vector<TokenCase> cases = {
      {"line feeds end lines", "a b\nc\n", "W:a W:b EOL W:c EOL EOF"},
      {"carriage return and line feed end lines", "a b\r\nc\r\n", "W:a W:b EOL W:c EOL EOF"},
      {"a lone carriage return is dropped", "ab\rcd\n", "W:abcd EOL EOF"},
      {"carriage returns before the line end are dropped", "a\r\r\n\r", "W:a EOL EOL EOF"},
      {"the last line needs no line end", "a\nb", "W:a EOL W:b EOL EOF"},
      {"an empty file ends at once", "", "EOF"},
      {"empty lines are line ends", "\n\r\n", "EOL EOL EOF"},
      {"a line of blanks is one line end", " \t  \n", "EOL EOF"},
      {"slashes separate numbers with or without blanks", "1/2/3\n1 / 2 /\t3",
       "N:1 / N:2 / N:3 EOL N:1 / N:2 / N:3 EOL EOF"},
      {"a comment ends its line", "object.create Tree rem a note\n",
       "W:object.create W:Tree C EOL EOF"},
      {"comments start in any letter case", "REM x\nRem y\n", "C EOL C EOL EOF"},
      {"a comment on the last line is followed by a line end", "rem", "C EOL EOF"},
      {"rem before a slash is a comment", "rem/1/2\n", "C EOL EOF"},
      {"remark and rem.x are words", "remark 1 rem.x\n", "W:remark N:1 W:rem.x EOL EOF"},
      {"a number in a comment is not converted", "rem 1e999 -\n", "C EOL EOF"},
      {"a number word that does not convert raises", "a - b",
       "W:a conversion error '-' is not a valid floating point value"},
      {"a word keeps 255 characters but a number converts in full",
       longWord + " 1" + std::string(299, '0'),
       "W:" + longWord.substr(0, 255) + " N:1e+299 EOL EOF"},
      {"NUL separates words", std::string("ab\0cd\n", 6), "W:ab W:cd EOL EOF"},
      {"NUL runs do not end the file", std::string("\0\0ab \0\0 cd\0\n\0", 14),
       "W:ab W:cd EOL EOL EOF"},
      {"Ctrl-Z at a line start ends the file", "a\n\x1A b\n", "W:a EOL EOF"},
      {"Ctrl-Z inside a line ends the file", "a b\x1A c\nd\n", "W:a W:b EOL EOF"},
      {"Ctrl-Z first ends the file", "\x1A\x1A a", "EOF"},
      {"a comma is a character of no class", "1,2,3", "N:1 O:, N:2 O:, N:3 EOL EOF"},
      {"a plus sign splits an exponent", "1.5e+3", "W:1.5e O:+ N:3 EOL EOF"},
      {"quotes are characters of no class", "\"a b\"", "O:\" W:a W:b O:\" EOL EOF"},
      {"a byte-order mark is three characters of no class", "\xEF\xBB\xBFobject.create",
       "O:\xEF O:\xBB O:\xBF W:object.create EOL EOF"},
      {"bytes of 0x80 and above are of no class", "caf\xE9 \x80", "W:caf O:\xE9 O:\x80 EOL EOF"},
      {"a line end split between blocks is one line end", "x" + blanks.substr(3) + "y\r\nz",
       "W:x W:y EOL W:z EOL EOF"},
      {"a word split between blocks is one word", "x" + blanks.substr(3) + "abcd\n",
       "W:x W:abcd EOL EOF"},
      {"Ctrl-Z in a later block ends the file", "a\n" + blanks + "b\x1A c", "W:a EOL W:b EOL EOF"},
      {"a line may be longer than several blocks", blanks + blanks + blanks + "a\n",
       "W:a EOL EOF"}};
  for (const auto& c : cases)
    EXPECT_EQ(TokensOf(c.Content), c.Tokens) << c.What;
}

// The three numbers of number, slash, number, slash, number and the token after them, or
// the error message.
std::string ReadTriple(const std::string& content) {
  TReader reader;
  OpenedFile file(reader, content);
  Token s;
  std::string out;
  try {
    for (int i = 0; i < 3; ++i) {
      if (i > 0)
        reader.ExpectSlash(s);
      out += NumberText(reader.ReadNumber()) + " ";
    }
    reader.NextToken(s);
    return out + (s.Kind == tkEndOfLine ? "EOL" : "other");
  } catch (const Exception& e) {
    return e.what();
  }
}

TEST(ReadNumberAndExpectSlash, ReadThreeNumbersOrRaiseTheParserErrorForAMissingToken) {
  const std::string number = "Con file parser error: Number expected";
  const std::string slash = "Con file parser error: Forward slash expected";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1/2/\n3", number}, {"1 2", slash},         {"1/2", slash},
      {"1,2,3", slash},    {"1/x/3", number},      {"1/rem 2/3", number},
      {"", number},        {"1//3", number},       {"+1/2/3", number},
      {"1/2\n/3", slash},  {"1/2/3", "1 2 3 EOL"}, {"1.5 /-2/ 3.e-1", "1.5 -2 0.3 EOL"}};
  for (const auto& [content, result] : cases)
    EXPECT_EQ(ReadTriple(content), result) << content;
}

TEST(ParseError, NamesWhatWasExpected) {
  EXPECT_EQ(MessageOf<Exception>([] { TReader().ParseError("Identifier"); }),
            "Con file parser error: Identifier expected");
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
