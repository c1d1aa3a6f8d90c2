// The object file: tokens, number words, the object list and the failures of a load.
#include "readcon/ReadCon.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace quarnel;
using testutil::MessageOf;

namespace {

using Reader = TConFileParsingLL;
constexpr size_t kBlock = Reader::ReadBlockSize;

std::string NumberText(double value) {
  char buffer[64];
  return std::string(buffer, std::to_chars(buffer, buffer + 64, value).ptr);
}

// The tokens of content as one line: W:word N:number / O:other C EOL EOF, then "!" when the
// end of the file does not repeat, or the conversion error.
std::string TokensOf(const std::string& content) {
  static const char* const kKinds[] = {"?", "EOF", "EOL", "C", "W", "N", "/", "O"};
  testutil::TempDir dir;
  testutil::WriteFile(dir / "objects.con", content);
  Reader reader;
  reader.OpenInput((dir / "objects.con").string());
  std::string out;
  Token t;
  try {
    do {
      reader.NextToken(t);
      out += (out.empty() ? "" : " ") + std::string(kKinds[t.Kind < 8 ? t.Kind : 0]);
      if (t.Kind == tkNumber)
        out += ":" + NumberText(t.Value);
      else if ((t.Kind == tkWord || t.Kind == tkOther) && !t.Text.empty())
        out += ":" + std::string(t.Text);
    } while (t.Kind != tkEndOfFile);
  } catch (const EConvertError& e) {
    return out + " conversion error " + e.what();
  }
  reader.NextToken(t);
  reader.CloseInput();
  return t.Kind == tkEndOfFile ? out : out + "!";
}

TEST(Tokenizer, SplitsTheFileIntoWordsNumbersSlashesCommentsAndLineEnds) {
  const std::string blanks(kBlock, ' '), longWord = "w" + std::string(299, 'x');
  const std::pair<std::string, std::string> cases[] = {
      // clang-format off
      {"a b\r\nc\rd\n", "W:a W:b EOL W:cd EOL EOF"}, {"a\r\r\n\r", "W:a EOL EOL EOF"}, {"a\nb", "W:a EOL W:b EOL EOF"},
      {"", "EOF"}, {" \t  \n\n", "EOL EOL EOF"}, {std::string("\0\0ab \0\0 cd\0\n\0", 14), "W:ab W:cd EOL EOL EOF"},
      {"1/2/3\n1 / 2 /\t3", "N:1 / N:2 / N:3 EOL N:1 / N:2 / N:3 EOL EOF"},
      {"object.create Tree rem a note 1e999\nREM x\nRem", "W:object.create W:Tree C EOL C EOL C EOL EOF"},
      {"rem/1/2\nremark 1 rem.x\n", "C EOL W:remark N:1 W:rem.x EOL EOF"},
      {"a - b", "W:a conversion error '-' is not a valid floating point value"},
      {longWord + " 1" + std::string(299, '0'), "W:" + longWord.substr(0, 255) + " N:1e+299 EOL EOF"},
      {"a\n\x1A b\n", "W:a EOL EOF"}, {"a b\x1A c\nd\n", "W:a W:b EOL EOF"}, {"1,2 1.5e+3", "N:1 O:, N:2 W:1.5e O:+ N:3 EOL EOF"},
      {"\xEF\xBB\xBFobject.create caf\xE9", "O:\xEF O:\xBB O:\xBF W:object.create W:caf O:\xE9 EOL EOF"},
      {"x" + blanks.substr(3) + "abcd\r\nz", "W:x W:abcd EOL W:z EOL EOF"},
      {"a\n" + blanks + "b\x1A c", "W:a EOL W:b EOL EOF"}, {std::string("a\0\r b\rc\r\r\n", 10), "W:a O:  W:bc EOL EOF"}, {blanks + blanks + blanks + "a\n", "W:a EOL EOF"}};
  // clang-format on
  for (const auto& [content, tokens] : cases)
    EXPECT_EQ(TokensOf(content), tokens) << content.substr(0, 40);
}

TEST(NumberWords, AreRecognisedByTheirGrammarAndConvertedToTheNearestDouble) {
  const std::string word = "-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
  for (int b = 0; b < 256; ++b) // the character classes
    ASSERT_TRUE(Reader::IsWordChar(char(b)) == (word.find(char(b)) != std::string::npos) &&
                Reader::IsBlank(char(b)) == (b == ' ' || b == '\t') &&
                Reader::IsDigit(char(b)) == (b >= '0' && b <= '9'))
        << b;
  for (const char* w : {"12", "-12", "007", "1.5", "-.5", "1.e-3", "1.5E-3", "-", "1.5e-x", "0"})
    EXPECT_TRUE(Reader::IsNumber(w)) << w;
  for (const char* w :
       {"", "1.", ".5", "1e-3", "1.5e", "1.5e-", "12abc", "--1", "1.5.3", "1.5E3", "-.", "_1"})
    EXPECT_FALSE(Reader::IsNumber(w)) << w;
  const std::string zeros(300, '0');
  const std::pair<std::string, double> values[] = {
      // clang-format off
      {"-12", -12}, {"007", 7}, {"-.5", -0.5}, {"1.e-3", 0.001}, {"0.1", 0.1}, {"1e+5", 1e5},
      {"100.5", 100.5}, {".", 0}, {"-.e5", 0}, {"1e-310", 1e-310}, {"1e-400", 0},
      {"1" + zeros.substr(1), 1e299}, {"0." + zeros + "25e301", 2.5}, {"0e99999999999999999999", 0},
      {"12345678901234567890e-345", 0}, {"4.9e-324", std::numeric_limits<double>::denorm_min()},
      {"1.7976931348623157e308", std::numeric_limits<double>::max()}};
  // clang-format on
  for (const auto& [word, value] : values)
    EXPECT_EQ(Reader::ConvertNumber(word), value) << word;
  EXPECT_TRUE(std::signbit(Reader::ConvertNumber("-1e-400")) &&
              std::signbit(Reader::ConvertNumber("-.")));
  for (const std::string w : {"-", "1.5e-x", "1.5e-3x", "1e309", "-1e309", "1.7976931348623159e308",
                              "1e99999999999999999999", "0.000000000000000000001e330", "", "e5",
                              "1.5e", "--1", "1,5", "+1", "0x10", "inf", "nan"})
    EXPECT_EQ(MessageOf([&] { Reader::ConvertNumber(w); }),
              "'" + w + "' is not a valid floating point value");
}

// Number words of up to 26 digits, some with an exponent that keeps them in range, read from a
// file and converted alone, against from_chars on the same text.
TEST(NumberWords, ConvertAsFromCharsDoesOnRandomDigitsAndExponents) {
  std::mt19937_64 rng(3);
  std::uniform_int_distribution<int> length(0, 25), digit(0, 9), exponent(1, 40);
  std::vector<std::string> words;
  std::string text;
  for (int i = 0; i < 100000; ++i) {
    std::string word = i % 2 ? "-" : "";
    for (int n = length(rng); n >= 0; --n)
      word += char('0' + digit(rng));
    if (i % 3 != 0) {
      word += ".";
      for (int n = length(rng); n >= 0; --n)
        word += char('0' + digit(rng));
      if (i % 5 == 0)
        word += "e-" + std::to_string(exponent(rng));
    }
    text += word + (i % 10 == 9 ? "\n" : " ");
    words.push_back(std::move(word));
  }
  testutil::TempDir dir;
  testutil::WriteFile(dir / "numbers.con", text);
  Reader reader;
  reader.OpenInput((dir / "numbers.con").string());
  Token t;
  for (const std::string& word : words) {
    double expected = 0;
    std::from_chars(word.data(), word.data() + word.size(), expected);
    do
      reader.NextToken(t);
    while (t.Kind == tkEndOfLine);
    ASSERT_EQ(t.Kind, tkNumber) << word;
    for (const double value : {t.Value, Reader::ConvertNumber(word)})
      ASSERT_TRUE(value == expected && std::signbit(value) == std::signbit(expected)) << word;
  }
  reader.CloseInput();
}

// A node that counts how many of its kind are alive.
struct TCountedNode : TStaticObjectNode {
  TCountedNode() { ++Live; }
  ~TCountedNode() override { --Live; }
  static inline int Live = 0;
};

std::string VectorText(const char* label, const TVector3& v, double initial) {
  if (v.X == initial && v.Y == initial && v.Z == initial)
    return "";
  return label + NumberText(v.X) + "," + NumberText(v.Y) + "," + NumberText(v.Z);
}

// The list as "Name@line p=position r=rotation s=scale; ...", each vector only when it differs
// from a new node's; or the load's error, with the objects kept before it.
std::string Load(const std::string& content, TStaticObjectLL& list) {
  testutil::TempDir dir;
  testutil::WriteFile(dir / "objects.con", content);
  std::string error;
  try {
    list.LoadFromFile((dir / "objects.con").string(), CreateNodeOf<TCountedNode>);
  } catch (const Exception& e) {
    error = std::string(" error: ") + e.what();
  }
  std::string out;
  const TLinkedListNode* prev = nullptr;
  int32_t count = 0;
  for (const TLinkedListNode* n = list.Head; n != nullptr; prev = n, n = n->Next, ++count) {
    const auto& o = static_cast<const TStaticObjectNode&>(*n);
    EXPECT_TRUE(n->Prev == prev && dynamic_cast<const TCountedNode*>(n) != nullptr);
    out += (prev ? "; " : "") + o.Name + "@" + std::to_string(o.Line) +
           VectorText(" p=", o.Position, 0) + VectorText(" r=", o.Rotation, 0) +
           VectorText(" s=", o.Scale, 1);
  }
  EXPECT_TRUE(prev == list.Tail && count == list.Count);
  return out + error;
}

TEST(ObjectList, HoldsOneObjectPerCreateCommandWithItsLineAndProperties) {
  const std::string longName = "N" + std::string(299, 'x');
  const std::string parser = " error: Con file parser error: ", big = "1" + std::string(309, '0');
  const std::pair<std::string, std::string> cases[] = {
      // clang-format off
      {"rem objects\r\nObject.create ObjA\r\nObject.absolutePosition 100.5/20/-300\r\n"
       "Object.rotation 90 / 0 / 0\r\nObject.create ObjB\r\nObject.geometry.scale 2/2/0.5\r\n",
       "ObjA@2 p=100.5,20,-300 r=90,0,0; ObjB@5 s=2,2,0.5"},
      {"object.absoluteposition 1/2/3 object.geometry.scale 4/5/6\nobject.create A\n\x1A", "A@2"},
      {"OBJECT.CREATE A\nObject.Create B\nOBJECT.ABSOLUTEPOSITION 1/2/3\n", "A@1; B@2 p=1,2,3"},
      {"object.create A\nobject.position 1/2/3\nobject.createx B\nobject.rotations 4/5/6\n", "A@1"},
      {"x object.create A object.absoluteposition 1/2/3 object.rotation 4 / 5 / 6 "
       "object.geometry.scale 7/8/9 object.create B object.rotation 1/1/1\n", "A@1 p=1,2,3 r=4,5,6 s=7,8,9; B@1 r=1,1,1"},
      {"object.create A\nobject.absoluteposition 1/2/3\nobject.absoluteposition -4/-5/-6.e-1\n"
       "object.rotation 1/2/3/4 / more\nrem object.create B\n", "A@1 p=-4,-5,-0.6 r=1,2,3"},
      {"object.create " + longName + "\r\n", longName.substr(0, 255) + "@1"}, {"\n\nobject.create Lone", "Lone@3"},
      {"object.create A\nobject.create\nobject.create B\n", "A@1" + parser + "Identifier expected"},
      {"object.create A\nobject.rotation 1/x/3\n", parser + "Number expected"},
      {"object.create A\nobject.rotation 1 2 3\n", parser + "Forward slash expected"},
      {"object.create A\nobject.rotation 1/2\n/3\n", parser + "Forward slash expected"},
      {"object.create A\nobject.create B\nobject.rotation 1/" + big + "/3\n",
       "A@1 error: '" + big + "' is not a valid floating point value"}};
  // clang-format on
  for (const auto& [content, objects] : cases) {
    TCountedNode::Live = 0;
    {
      TStaticObjectLL list;
      EXPECT_EQ(Load(content, list), objects) << content.substr(0, 60);
      EXPECT_EQ(TCountedNode::Live, list.Count) << "the node being read is freed on a failure";
    }
    EXPECT_EQ(TCountedNode::Live, 0);
  }
}

#ifdef __linux__
TEST(ObjectList, ReportsAReadFailureWithItsTextFileMessage) {
  TStaticObjectLL list; // reading /proc/self/mem at offset 0 fails with EIO
  EXPECT_EQ(
      MessageOf([&] { list.LoadFromFile("/proc/self/mem", CreateNodeOf<TStaticObjectNode>); }),
      "I/O error 5");
}
#endif

} // namespace
