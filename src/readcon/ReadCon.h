// The con-file tokenizer and the list of static objects read from an object file.
#pragma once

#include "common/FileIO.h"
#include "common/UTypes.h"
#include "readcon/LinkList2.h"

#include <cstddef>
#include <cstdint>
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
  std::string Text; // at most 255 characters
  double Value = 0;
};

// Reads a con file as a stream of tokens.
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
  // The value of a number word; raises EConvertError when it does not convert.
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
  char NextChar();
  char GetLineChar();
  void UngetChar(char c);
  void SkipBlanks();
  // Reads the next line of InputFile into LineBuffer; false at the end of the file.
  bool ReadLine();
  // Closes the file on the way out of a failed load, where a close failure adds nothing.
  void AbandonInput() noexcept;

  std::unique_ptr<TLinkedListNode> CurrentNode;
  char PendingChar = 0;
  TFile InputFile;
  std::string LineBuffer;
  size_t LinePos = 0;       // index in LineBuffer of the next character
  bool AtEndOfFile = false; // LineBuffer holds the NUL of the end of the file
  int64_t LineNumber = 0;   // the line of the file that LineBuffer holds, from 1

private:
  // Refills Block from the file; false when no byte is left.
  bool FillBlock();

  std::string Word; // the word being collected, kept to reuse its storage
  std::unique_ptr<char[]> Block;
  size_t BlockPos = 0;
  size_t BlockLen = 0;
  bool InputDrained = false; // the file's last byte, or its Ctrl-Z, is in Block
};

class TStaticObjectLL : public TConFileParsingLL {
public:
  // Appends one node per "object.create" command of the file, in file order.
  void LoadFromFile(const std::string& fileName, TStaticObjectNodeClass nodeClass);
};

} // namespace quarnel
