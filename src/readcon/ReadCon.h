// The con-file tokenizer and the list of static objects read from an object file.
#pragma once

#include "common/FileIO.h"
#include "common/UTypes.h"
#include "readcon/LinkList2.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quarnel {

// One static object of the world, as placed by the object file.
class TStaticObjectNode : public TLinkedListNode {
public:
  TVector3 Position; // world units
  std::string Name;  // at most 255 characters, letter case as in the file
  TVector3 Rotation; // degrees: X, Y, Z hold the first, second and third value
  TVector3 Scale;    // set to 1, 1, 1 by LoadFromFile
  int64_t Line = 0;  // the line of its "object.create" in the object file, from 1
};

// The node class handed to LoadFromFile: the factory through which every node is made.
using TStaticObjectNodeClass = std::unique_ptr<TStaticObjectNode> (*)();

template <class T> std::unique_ptr<TStaticObjectNode> CreateNodeOf() {
  return std::make_unique<T>();
}

enum TokenKind : uint8_t {
  tkEndOfFile = 1,
  tkEndOfLine = 2,
  tkComment = 3,
  tkWord = 4,
  tkNumber = 5,
  tkSlash = 6,
  tkOther = 7, // one character of no class; Text holds it
};

struct Token {
  TokenKind Kind = tkEndOfFile;
  // At most 255 characters, in the reader's buffer: valid until the reader's next token.
  std::string_view Text;
  double Value = 0;
};

// Reads a con file as a stream of tokens, straight from the blocks read: a token's text and
// a number's digits are taken where they lie.
//
// The text is read as lines: the file up to its first Ctrl-Z, cut after each line feed (with
// one added to a last line that lacks it), every carriage return dropped. A token begins
// after blanks (space, tab): a line feed (end of line), "/" (slash), a run of word characters
// (a comment when it is "rem" in any letter case, which runs to the end of the line; a number
// when IsNumber; otherwise a word), or any other character on its own. A NUL byte ends blanks
// and is passed over with the character after it read as it is; after the last line comes
// the end of the file, again and again.
class TConFileParsingLL : public TLinkedList {
public:
  // The file is read in blocks of this many bytes, front to back, so a pipe will do.
  static constexpr size_t ReadBlockSize = 1 << 16;
  // Text of a word token keeps at most this many characters.
  static constexpr size_t MaxTextLength = 255;

  static bool IsBlank(char c);
  static bool IsWordChar(char c);
  static bool IsDigit(char c);
  static bool IsNumber(std::string_view word);
  // The value of a number word (the double nearest to it); raises EConvertError when it does
  // not convert.
  static double ConvertNumber(std::string_view word);

  // Opens fileName and starts reading at its first character; raises EInOutError.
  void OpenInput(const std::string& fileName);
  // Closes the file; raises EInOutError when that fails.
  void CloseInput();

  void NextToken(Token& t);
  double ReadNumber();
  void ExpectSlash(Token& t);
  [[noreturn]] void ParseError(const std::string& what);

protected:
  // Closes the file on the way out of a failed load, where a close failure adds nothing.
  void AbandonInput() noexcept;

  std::unique_ptr<TLinkedListNode> CurrentNode;
  TFile InputFile;
  int64_t LineNumber = 0; // the line of the last token read, from 1

private:
  // Makes Pos to End the next whole lines, each ending in a line feed; false at the end of
  // the file.
  bool NextLines();
  // Reads one more block after the bytes held; false when no byte is left.
  bool ReadBlock();
  // The character at Pos once carriage returns not before a line feed are passed over; a
  // carriage return before a line feed is read as that line feed.
  char CurrentChar();
  // Takes the word that begins at Pos.
  std::string_view TakeWord();

  std::unique_ptr<char[]> Buffer;
  size_t Capacity = 0;       // Buffer's size, one byte more than a read may fill
  size_t Held = 0;           // the bytes read and not yet passed over, from Buffer's start
  size_t Pos = 0, End = 0;   // the next character, and the end of the whole lines held
  size_t Searched = 0;       // the bytes held up to here hold no line feed after End
  bool InputDrained = false; // the file's last byte, or its Ctrl-Z, is held
  int64_t LinesPassed = 0;   // the line feeds read
};

// Called with each object as it joins the list, its properties read.
using TObjectAdded = std::function<void(TStaticObjectNode&)>;

class TStaticObjectLL : public TConFileParsingLL {
public:
  // Appends one node per "object.create" command of the file, in file order, handing each to
  // added (when given) as it is appended.
  void LoadFromFile(const std::string& fileName, TStaticObjectNodeClass nodeClass,
                    const TObjectAdded& added = {});

private:
  void AddCurrentNode(const TObjectAdded& added);
};

} // namespace quarnel
