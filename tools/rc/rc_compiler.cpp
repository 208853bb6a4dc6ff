// Parses the subset of the resource-script language the utilities use and
// writes each resource in Win32's own binary layout, little-endian, field by
// field.
#include "rc_compiler.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <tuple>

namespace rc {
namespace {

// Resource types (RT_*).
constexpr uint16_t kCursor = 1, kBitmap = 2, kIcon = 3, kMenu = 4, kDialog = 5, kString = 6, kAccelerator = 9,
                   kGroupCursor = 12, kGroupIcon = 14;

// Window and control styles the statements imply, as rc applies them.
constexpr uint32_t kWsPopup = 0x80000000, kWsChild = 0x40000000, kWsVisible = 0x10000000, kWsCaption = 0x00C00000,
                   kWsBorder = 0x00800000, kWsSysMenu = 0x00080000, kWsGroup = 0x00020000, kWsTabStop = 0x00010000;
constexpr uint32_t kDsSetFont = 0x40;
constexpr uint16_t kButtonAtom = 0x80, kEditAtom = 0x81, kStaticAtom = 0x82, kListBoxAtom = 0x83, kScrollBarAtom = 0x84,
                   kComboBoxAtom = 0x85;

// Menu item flags (MF_*) and accelerator flags (F*).
constexpr uint16_t kMfGrayed = 0x1, kMfDisabled = 0x2, kMfChecked = 0x8, kMfPopup = 0x10, kMfMenuBarBreak = 0x20,
                   kMfMenuBreak = 0x40, kMfEnd = 0x80, kMfHelp = 0x4000;
constexpr uint16_t kFVirtKey = 0x1, kFNoInvert = 0x2, kFShift = 0x4, kFControl = 0x8, kFAlt = 0x10, kAccelLast = 0x80;

bool Same(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// ---- Binary writer ------------------------------------------------------

struct Bytes {
  std::vector<uint8_t> b;
  void Byte(uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
  void Word(uint32_t v) {
    Byte(v);
    Byte(v >> 8);
  }
  void Dword(uint32_t v) {
    Word(v);
    Word(v >> 16);
  }
  void Text(const std::u16string& s) {
    for (char16_t c : s) Word(c);
    Word(0);
  }
  void Align(size_t n) {
    while (b.size() % n) Byte(0);
  }
  void Append(const std::vector<uint8_t>& more) { b.insert(b.end(), more.begin(), more.end()); }
};

// A name-or-ordinal field: 0xFFFF and a WORD, or a NUL-terminated WCHAR string.
struct NameOrOrdinal {
  bool isOrdinal = false;
  uint16_t ordinal = 0;
  std::u16string text;
  void Write(Bytes& out) const {
    if (isOrdinal) {
      out.Word(0xFFFF);
      out.Word(ordinal);
    } else {
      out.Text(text);
    }
  }
};

NameOrOrdinal Ordinal(uint16_t value) { return {true, value, {}}; }
NameOrOrdinal Named(const std::u16string& text) { return {false, 0, text}; }

// ---- Lexer --------------------------------------------------------------

enum class Kind { End, Number, String, Ident, Punct };

struct Token {
  Kind kind = Kind::End;
  std::string text;  // identifier or punctuation; the string's bytes
  uint32_t value = 0;
  std::string file;
  int line = 0;
};

class Lexer {
 public:
  Lexer(const std::string& text, const std::string& file, std::set<std::string>& files)
      : s_(text), file_(file), files_(files) {}

  std::vector<Token> All() {
    std::vector<Token> tokens;
    for (;;) {
      Token t = NextToken();
      tokens.push_back(t);
      if (t.kind == Kind::End) return tokens;
    }
  }

 private:
  [[noreturn]] void Fail(const std::string& message) { throw CompileError(file_, line_, message); }

  char At(size_t k = 0) const { return p_ + k < s_.size() ? s_[p_ + k] : '\0'; }

  // "# 12 "file" flags" sets where the following line comes from; other
  // directives (#pragma) carry nothing for resources.
  void Directive() {
    size_t end = s_.find('\n', p_);
    std::string line = s_.substr(p_ + 1, end == std::string::npos ? std::string::npos : end - p_ - 1);
    p_ = end == std::string::npos ? s_.size() : end + 1;
    std::istringstream in(line);
    std::string word;
    in >> word;
    if (word == "line") in >> word;
    if (word.empty() || !std::isdigit(static_cast<unsigned char>(word[0]))) {
      ++line_;
      return;
    }
    line_ = std::stoi(word);
    auto open = line.find('"');
    auto close = line.rfind('"');
    if (open != std::string::npos && close > open) {
      file_ = line.substr(open + 1, close - open - 1);
      if (!file_.empty() && file_[0] != '<') files_.insert(file_);
    }
  }

  Token Make(Kind kind) {
    Token t;
    t.kind = kind;
    t.file = file_;
    t.line = line_;
    return t;
  }

  Token NextToken() {
    for (;;) {
      char c = At();
      if (c == '\0') return Make(Kind::End);
      if (c == '\n') {
        ++line_;
        ++p_;
        lineStart_ = true;
        continue;
      }
      if (std::isspace(static_cast<unsigned char>(c))) {
        ++p_;
        continue;
      }
      if (c == '#' && lineStart_) {
        Directive();
        continue;
      }
      if (c == '/' && At(1) == '/') {  // only when the script was not preprocessed
        while (At() && At() != '\n') ++p_;
        continue;
      }
      if (c == '/' && At(1) == '*') {
        p_ += 2;
        while (At() && !(At() == '*' && At(1) == '/')) {
          if (At() == '\n') ++line_;
          ++p_;
        }
        p_ += 2;
        continue;
      }
      lineStart_ = false;
      if (c == '"' || (c == 'L' && At(1) == '"')) return StringToken();
      if (std::isdigit(static_cast<unsigned char>(c))) return NumberToken();
      if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') return IdentToken();
      Token t = Make(Kind::Punct);
      t.text = std::string(1, c);
      ++p_;
      return t;
    }
  }

  Token NumberToken() {
    Token t = Make(Kind::Number);
    size_t start = p_;
    int base = 10;
    if (At() == '0' && (At(1) == 'x' || At(1) == 'X')) {
      base = 16;
      p_ += 2;
    }
    uint64_t value = 0;
    bool digits = false;
    for (;; ++p_) {
      int d = std::isdigit(static_cast<unsigned char>(At())) ? At() - '0'
              : (base == 16 && std::isxdigit(static_cast<unsigned char>(At())))
                  ? std::tolower(static_cast<unsigned char>(At())) - 'a' + 10
                  : -1;
      if (d < 0) break;
      digits = true;
      value = value * base + d;
      if (value > 0xFFFFFFFFull) Fail("number too large: " + s_.substr(start, p_ - start + 1));
    }
    while (At() == 'L' || At() == 'l' || At() == 'U' || At() == 'u') ++p_;
    if (!digits || std::isalnum(static_cast<unsigned char>(At())) || At() == '_')
      Fail("malformed number '" + s_.substr(start, p_ - start + 1) + "'");
    t.value = static_cast<uint32_t>(value);
    t.text = s_.substr(start, p_ - start);
    return t;
  }

  Token IdentToken() {
    Token t = Make(Kind::Ident);
    size_t start = p_;
    while (std::isalnum(static_cast<unsigned char>(At())) || At() == '_') ++p_;
    t.text = s_.substr(start, p_ - start);
    return t;
  }

  // rc's strings: "" is a quote; backslash escapes as in C.
  Token StringToken() {
    Token t = Make(Kind::String);
    if (At() == 'L') ++p_;
    ++p_;
    for (;;) {
      char c = At();
      if (c == '\0' || c == '\n') Fail("unterminated string");
      ++p_;
      if (c == '"') {
        if (At() != '"') break;
        ++p_;
        t.text += '"';
      } else if (c == '\\') {
        t.text += Escape();
      } else {
        t.text += c;
      }
    }
    return t;
  }

  char Escape() {
    char c = At();
    ++p_;
    switch (c) {
      case 'n':
        return '\n';
      case 't':
        return '\t';
      case 'r':
        return '\r';
      case 'a':
        return '\b';  // rc's \a is the right-align marker in menus (0x08)
      case 'b':
        return '\b';
      case '\\':
        return '\\';
      case '"':
        return '"';
      case '\'':
        return '\'';
      case 'x': {
        int v = 0, n = 0;
        while (n < 2 && std::isxdigit(static_cast<unsigned char>(At()))) {
          char h = static_cast<char>(std::tolower(static_cast<unsigned char>(At())));
          v = v * 16 + (std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : h - 'a' + 10);
          ++p_, ++n;
        }
        if (n == 0) Fail("malformed \\x escape");
        return static_cast<char>(v);
      }
      default:
        if (c >= '0' && c <= '7') {
          int v = c - '0', n = 1;
          while (n < 3 && At() >= '0' && At() <= '7') v = v * 8 + (At() - '0'), ++p_, ++n;
          return static_cast<char>(v);
        }
        Fail(std::string("unknown escape '\\") + c + "'");
    }
  }

  const std::string& s_;
  size_t p_ = 0;
  std::string file_;
  int line_ = 1;
  bool lineStart_ = true;
  std::set<std::string>& files_;
};

// ---- Parser -------------------------------------------------------------

struct Control {
  uint32_t style = 0, exStyle = 0, helpId = 0, id = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal cls, text;
};

struct MenuItem {
  uint16_t flags = 0, id = 0;
  std::u16string text;
  std::vector<MenuItem> children;
  bool popup = false;
};

struct ImageFile {
  struct Entry {
    uint8_t width, height, colours;
    uint16_t planesOrHotX, bitsOrHotY;
    std::vector<uint8_t> image;
  };
  std::vector<Entry> entries;
};

class Parser {
 public:
  Parser(std::vector<Token> tokens, const std::string& scriptPath, const std::vector<std::string>& searchDirs,
         std::set<std::string>& files)
      : t_(std::move(tokens)), scriptPath_(scriptPath), searchDirs_(searchDirs), files_(files) {}

  std::vector<Resource> Run() {
    while (Peek().kind != Kind::End) Statement();
    EmitStringTables();
    return std::move(out_);
  }

 private:
  // -- token access
  const Token& Peek(size_t k = 0) const { return t_[std::min(p_ + k, t_.size() - 1)]; }
  const Token& Next() {
    const Token& t = Peek();
    if (p_ < t_.size() - 1) ++p_;
    return t;
  }
  [[noreturn]] void Fail(const Token& at, const std::string& message) const {
    throw CompileError(at.file, at.line, message);
  }
  static std::string Describe(const Token& t) {
    switch (t.kind) {
      case Kind::End:
        return "end of file";
      case Kind::String:
        return "string \"" + t.text + "\"";
      default:
        return "'" + t.text + "'";
    }
  }
  bool IsPunct(const char* p, size_t k = 0) const { return Peek(k).kind == Kind::Punct && Peek(k).text == p; }
  bool IsWord(const char* w, size_t k = 0) const { return Peek(k).kind == Kind::Ident && Same(Peek(k).text, w); }
  bool Accept(const char* p) {
    if (!IsPunct(p)) return false;
    Next();
    return true;
  }
  bool AcceptWord(const char* w) {
    if (!IsWord(w)) return false;
    Next();
    return true;
  }
  void Expect(const char* p) {
    if (!Accept(p)) Fail(Peek(), std::string("expected '") + p + "' but found " + Describe(Peek()));
  }
  bool IsBegin() const { return IsWord("BEGIN") || IsPunct("{"); }
  // Inside BEGIN ... END: false at its END; the file ending first is a fault.
  bool InBlock() const {
    if (Peek().kind == Kind::End) Fail(Peek(), "expected END but found end of file");
    return !IsEndOfBlock();
  }
  bool IsEndOfBlock() const { return IsWord("END") || IsPunct("}"); }
  void ExpectBegin() {
    if (!IsBegin()) Fail(Peek(), "expected BEGIN but found " + Describe(Peek()));
    Next();
  }
  void ExpectEnd() {
    if (!IsEndOfBlock()) Fail(Peek(), "expected END but found " + Describe(Peek()));
    Next();
  }
  std::string ExpectString(const char* what) {
    if (Peek().kind != Kind::String) Fail(Peek(), std::string("expected ") + what + " but found " + Describe(Peek()));
    return Next().text;
  }

  // -- expressions: C's operators, plus rc's NOT inside style expressions
  uint32_t Primary() {
    const Token& t = Next();
    if (t.kind == Kind::Number) return t.value;
    if (t.kind == Kind::Punct && t.text == "(") {
      uint32_t v = Expression();
      Expect(")");
      return v;
    }
    if (t.kind == Kind::Punct && t.text == "-") return 0u - Primary();
    if (t.kind == Kind::Punct && t.text == "+") return Primary();
    if (t.kind == Kind::Punct && t.text == "~") return ~Primary();
    if (t.kind == Kind::Ident && Same(t.text, "NOT")) return ~Primary();
    if (t.kind == Kind::Ident) Fail(t, "undefined symbol '" + t.text + "'");
    Fail(t, "expected a number but found " + Describe(t));
  }
  uint32_t Product() {
    uint32_t v = Primary();
    for (;;) {
      if (Accept("*")) {
        v *= Primary();
      } else if (IsPunct("/") || IsPunct("%")) {
        bool divide = Next().text == "/";
        const Token& at = Peek();
        uint32_t d = Primary();
        if (d == 0) Fail(at, "division by zero");
        v = divide ? v / d : v % d;
      } else {
        return v;
      }
    }
  }
  uint32_t Sum() {
    uint32_t v = Product();
    for (;;) {
      if (Accept("+"))
        v += Product();
      else if (Accept("-"))
        v -= Product();
      else
        return v;
    }
  }
  uint32_t Conjunction() {
    uint32_t v = Sum();
    while (Accept("&")) v &= Sum();
    return v;
  }
  uint32_t Expression() {
    uint32_t v = Conjunction();
    while (Accept("|")) v |= Conjunction();
    return v;
  }
  // "WS_CHILD | NOT WS_VISIBLE": terms are OR'ed into `base`, a NOT term
  // clears its bits, so a control keeps its implied style unless told not to.
  uint32_t Style(uint32_t base) {
    do {
      if (AcceptWord("NOT"))
        base &= ~Conjunction();
      else
        base |= Conjunction();
    } while (Accept("|"));
    return base;
  }
  int16_t Coordinate() {
    const Token& at = Peek();
    auto v = static_cast<int32_t>(Expression());
    if (v < -32768 || v > 32767) Fail(at, "coordinate out of range: " + std::to_string(v));
    return static_cast<int16_t>(v);
  }
  uint16_t Word16(const char* what) {
    const Token& at = Peek();
    auto v = static_cast<int32_t>(Expression());
    if (v < -32768 || v > 65535) Fail(at, std::string(what) + " out of range: " + std::to_string(v));
    return static_cast<uint16_t>(v);
  }
  bool StartsExpression() const {
    const Token& t = Peek();
    return t.kind == Kind::Number || IsPunct("(") || IsPunct("-") || IsPunct("~") || IsPunct("+") || IsWord("NOT") ||
           (t.kind == Kind::Ident && !IsKeyword(t.text));
  }

  static bool IsKeyword(const std::string& word) {
    static const char* kWords[] = {"BEGIN", "END",  "STYLE",    "EXSTYLE",         "CAPTION", "FONT",
                                   "CLASS", "MENU", "LANGUAGE", "CHARACTERISTICS", "VERSION"};
    return std::any_of(std::begin(kWords), std::end(kWords), [&](const char* k) { return Same(word, k); });
  }

  // -- resources
  struct Id {
    std::string name;
    uint16_t ordinal = 0;
  };
  Id ResourceId() {
    const Token& t = Peek();
    if (t.kind == Kind::Ident) return {Upper(Next().text), 0};
    if (t.kind == Kind::String) return {Upper(Next().text), 0};
    return {"", Word16("resource id")};
  }
  void Add(const Token& at, uint16_t typeId, const std::string& typeName, const Id& id, uint16_t language,
           std::vector<uint8_t> data) {
    for (const Resource& r : out_)
      if (r.typeId == typeId && r.typeName == typeName && r.nameId == id.ordinal && r.name == id.name &&
          r.language == language)
        Fail(at, "duplicate resource " + (id.name.empty() ? std::to_string(id.ordinal) : id.name));
    out_.push_back({typeName, typeId, id.name, id.ordinal, language, std::move(data)});
  }
  void SkipMemoryFlags() {
    static const char* kFlags[] = {"MOVEABLE",   "FIXED",       "PURE",   "IMPURE",   "PRELOAD",
                                   "LOADONCALL", "DISCARDABLE", "SHARED", "NONSHARED"};
    while (Peek().kind == Kind::Ident &&
           std::any_of(std::begin(kFlags), std::end(kFlags), [&](const char* f) { return Same(Peek().text, f); }))
      Next();
  }
  uint16_t LanguageStatement() {
    uint32_t primary = Expression();
    Expect(",");
    uint32_t sub = Expression();
    return static_cast<uint16_t>((sub << 10) | (primary & 0x3FF));
  }
  // LANGUAGE, CHARACTERISTICS and VERSION, allowed before any resource's body.
  bool CommonOption(uint16_t& language) {
    if (AcceptWord("LANGUAGE")) {
      language = LanguageStatement();
      return true;
    }
    if (AcceptWord("CHARACTERISTICS") || AcceptWord("VERSION")) {
      Expression();
      return true;
    }
    return false;
  }

  void Statement() {
    const Token& first = Peek();
    if (AcceptWord("LANGUAGE")) {
      language_ = LanguageStatement();
      return;
    }
    if (IsWord("STRINGTABLE")) return StringTable();
    if (IsHeaderDeclaration()) return SkipDeclaration();
    Id id = ResourceId();
    const Token& type = Next();
    if (type.kind != Kind::Ident && type.kind != Kind::Number)
      Fail(type, "expected a resource type but found " + Describe(type));
    SkipMemoryFlags();
    if (Same(type.text, "DIALOG") || Same(type.text, "DIALOGEX")) return Dialog(first, id, Same(type.text, "DIALOGEX"));
    if (Same(type.text, "MENU")) return Menu(first, id);
    if (Same(type.text, "ACCELERATORS")) return Accelerators(first, id);
    if (Same(type.text, "BITMAP")) return Bitmap(first, id);
    if (Same(type.text, "ICON")) return IconOrCursor(first, id, false);
    if (Same(type.text, "CURSOR")) return IconOrCursor(first, id, true);
    if (Peek().kind == Kind::String) return UserDefined(first, id, type);
    Fail(type, "unknown resource type '" + type.text + "'");
  }

  // The scripts include <windows.h>, whose declarations are C, not resources.
  // In a header, a statement that is not shaped like a resource is skipped.
  bool IsHeaderDeclaration() const {
    const std::string& file = Peek().file;
    if (file.size() < 2 || strcasecmp(file.c_str() + file.size() - 2, ".h") != 0) return false;
    static const char* kTypes[] = {"DIALOG", "DIALOGEX", "MENU", "ACCELERATORS", "BITMAP", "ICON", "CURSOR"};
    bool named = Peek().kind == Kind::Ident || Peek().kind == Kind::Number;
    bool typed = Peek(1).kind == Kind::Ident && std::any_of(std::begin(kTypes), std::end(kTypes),
                                                            [&](const char* k) { return Same(Peek(1).text, k); });
    return !(named && (typed || Peek(2).kind == Kind::String));
  }
  void SkipDeclaration() {
    int depth = 0;
    while (Peek().kind != Kind::End) {
      const Token& t = Next();
      if (t.kind != Kind::Punct) continue;
      if (t.text == "{" || t.text == "(") ++depth;
      if (t.text == "}" || t.text == ")") --depth;
      if (depth <= 0 && t.text == ";") return;
    }
  }

  // -- DIALOG / DIALOGEX
  void Dialog(const Token& at, const Id& id, bool ex) {
    int16_t x = Coordinate();
    Expect(",");
    int16_t y = Coordinate();
    Expect(",");
    int16_t cx = Coordinate();
    Expect(",");
    int16_t cy = Coordinate();
    uint32_t helpId = 0;
    if (ex && Accept(",")) helpId = Expression();
    uint16_t language = language_;
    std::optional<uint32_t> style;
    uint32_t exStyle = 0;
    std::u16string caption, typeface;
    bool hasCaption = false, hasFont = false;
    uint16_t pointSize = 0, weight = 0;
    uint8_t italic = 0, charset = 1;
    NameOrOrdinal menu = Named(u""), cls = Named(u"");
    for (;;) {
      if (CommonOption(language)) continue;
      if (AcceptWord("STYLE")) {
        style = Style(0);
      } else if (AcceptWord("EXSTYLE")) {
        exStyle = Expression();
      } else if (AcceptWord("CAPTION")) {
        caption = WidenAnsi(ExpectString("a caption"));
        hasCaption = true;
      } else if (AcceptWord("FONT")) {
        hasFont = true;
        pointSize = Word16("point size");
        Expect(",");
        typeface = WidenAnsi(ExpectString("a typeface"));
        if (ex && Accept(",")) {
          weight = Word16("font weight");
          if (Accept(",")) italic = static_cast<uint8_t>(Expression());
          if (Accept(",")) charset = static_cast<uint8_t>(Expression());
        }
      } else if (AcceptWord("CLASS")) {
        cls = NameOrOrdinalOperand();
      } else if (AcceptWord("MENU")) {
        menu = NameOrOrdinalOperand(true);
      } else {
        break;
      }
    }
    uint32_t dialogStyle = style.value_or(kWsPopup | kWsBorder | kWsSysMenu);
    if (hasCaption && !style) dialogStyle |= kWsCaption;
    if (hasFont) dialogStyle |= kDsSetFont;
    std::vector<Control> controls = Controls(ex);
    if (controls.size() > 0xFFFF) Fail(at, "too many controls");

    Bytes b;
    if (ex) {
      b.Word(1);
      b.Word(0xFFFF);
      b.Dword(helpId);
      b.Dword(exStyle);
      b.Dword(dialogStyle);
    } else {
      b.Dword(dialogStyle);
      b.Dword(exStyle);
    }
    b.Word(static_cast<uint16_t>(controls.size()));
    for (int16_t v : {x, y, cx, cy}) b.Word(static_cast<uint16_t>(v));
    menu.Write(b);
    cls.Write(b);
    b.Text(caption);
    if (dialogStyle & kDsSetFont) {
      b.Word(pointSize);
      if (ex) {
        b.Word(weight);
        b.Byte(italic);
        b.Byte(charset);
      }
      b.Text(typeface);
    }
    for (const Control& c : controls) {
      b.Align(4);
      if (ex) {
        b.Dword(c.helpId);
        b.Dword(c.exStyle);
        b.Dword(c.style);
      } else {
        b.Dword(c.style);
        b.Dword(c.exStyle);
      }
      for (int16_t v : {c.x, c.y, c.cx, c.cy}) b.Word(static_cast<uint16_t>(v));
      if (ex)
        b.Dword(c.id);
      else
        b.Word(c.id);
      c.cls.Write(b);
      c.text.Write(b);
      b.Word(0);  // no creation data
    }
    Add(at, kDialog, "", id, language, std::move(b.b));
  }

  // CLASS and MENU name a class or menu by string, number or (MENU) bare name.
  NameOrOrdinal NameOrOrdinalOperand(bool bareNames = false) {
    if (Peek().kind == Kind::String) return Named(WidenAnsi(Next().text));
    if (bareNames && Peek().kind == Kind::Ident) return Named(WidenAnsi(Upper(Next().text)));
    return Ordinal(Word16("ordinal"));
  }

  struct ControlKind {
    const char* keyword;
    enum Form { kText, kNoText, kIcon, kGeneric } form;
    uint16_t atom;
    uint32_t style;
  };
  static const ControlKind* FindControlKind(const std::string& word) {
    static const ControlKind kKinds[] = {
        {"LTEXT", ControlKind::kText, kStaticAtom, 0x0 | kWsGroup},
        {"RTEXT", ControlKind::kText, kStaticAtom, 0x2 | kWsGroup},
        {"CTEXT", ControlKind::kText, kStaticAtom, 0x1 | kWsGroup},
        {"PUSHBUTTON", ControlKind::kText, kButtonAtom, 0x0 | kWsTabStop},
        {"DEFPUSHBUTTON", ControlKind::kText, kButtonAtom, 0x1 | kWsTabStop},
        {"CHECKBOX", ControlKind::kText, kButtonAtom, 0x2 | kWsTabStop},
        {"AUTOCHECKBOX", ControlKind::kText, kButtonAtom, 0x3 | kWsTabStop},
        {"RADIOBUTTON", ControlKind::kText, kButtonAtom, 0x4},
        {"STATE3", ControlKind::kText, kButtonAtom, 0x5 | kWsTabStop},
        {"AUTO3STATE", ControlKind::kText, kButtonAtom, 0x6 | kWsTabStop},
        {"GROUPBOX", ControlKind::kText, kButtonAtom, 0x7},
        {"AUTORADIOBUTTON", ControlKind::kText, kButtonAtom, 0x9},
        {"EDITTEXT", ControlKind::kNoText, kEditAtom, 0x0 | kWsBorder | kWsTabStop},
        {"COMBOBOX", ControlKind::kNoText, kComboBoxAtom, 0x1 | kWsTabStop},
        {"LISTBOX", ControlKind::kNoText, kListBoxAtom, 0x1 | kWsBorder},
        {"SCROLLBAR", ControlKind::kNoText, kScrollBarAtom, 0x0},
        {"ICON", ControlKind::kIcon, kStaticAtom, 0x3},
        {"CONTROL", ControlKind::kGeneric, 0, 0},
    };
    for (const ControlKind& k : kKinds)
      if (Same(word, k.keyword)) return &k;
    return nullptr;
  }

  std::vector<Control> Controls(bool ex) {
    ExpectBegin();
    std::vector<Control> controls;
    while (InBlock()) {
      const Token& word = Next();
      const ControlKind* kind = word.kind == Kind::Ident ? FindControlKind(word.text) : nullptr;
      if (!kind) Fail(word, "unknown control " + Describe(word));
      controls.push_back(OneControl(*kind, ex));
    }
    ExpectEnd();
    return controls;
  }

  NameOrOrdinal ControlText() {
    if (Peek().kind == Kind::String) return Named(WidenAnsi(Next().text));
    if (Peek().kind == Kind::Ident) return Named(WidenAnsi(Upper(Next().text)));  // an ICON's resource name
    return Ordinal(Word16("text ordinal"));
  }

  NameOrOrdinal ControlClass() {
    static const std::pair<const char*, uint16_t> kAtoms[] = {
        {"BUTTON", kButtonAtom},   {"EDIT", kEditAtom},           {"STATIC", kStaticAtom},
        {"LISTBOX", kListBoxAtom}, {"SCROLLBAR", kScrollBarAtom}, {"COMBOBOX", kComboBoxAtom}};
    const Token& t = Peek();
    if (t.kind == Kind::Number) return Ordinal(Word16("class ordinal"));
    if (t.kind != Kind::String && t.kind != Kind::Ident) Fail(t, "expected a control class but found " + Describe(t));
    Next();
    for (const auto& [name, atom] : kAtoms)
      if (Same(t.text, name)) return Ordinal(atom);
    if (t.kind == Kind::Ident) Fail(t, "unknown control class '" + t.text + "'");
    return Named(WidenAnsi(t.text));
  }

  Control OneControl(const ControlKind& kind, bool ex) {
    Control c;
    uint32_t base = kWsChild | kWsVisible | kind.style;
    if (kind.form != ControlKind::kNoText) {
      c.text = ControlText();
      Expect(",");
    } else {
      c.text = Named(u"");
    }
    c.id = ex ? Expression() : Word16("control id");
    Expect(",");
    if (kind.form == ControlKind::kGeneric) {
      c.cls = ControlClass();
      Expect(",");
      c.style = Style(kWsChild | kWsVisible);
      Expect(",");
    } else {
      c.cls = Ordinal(kind.atom);
      c.style = base;
    }
    c.x = Coordinate();
    Expect(",");
    c.y = Coordinate();
    bool sized = kind.form != ControlKind::kIcon || IsPunct(",");
    if (sized) {
      Expect(",");
      c.cx = Coordinate();
      Expect(",");
      c.cy = Coordinate();
    }
    if (kind.form != ControlKind::kGeneric && sized && Accept(",")) c.style = Style(base);
    if (Accept(",")) c.exStyle = Expression();
    if (ex && Accept(",")) c.helpId = Expression();
    if (IsBegin()) Fail(Peek(), "control creation data is not supported");
    return c;
  }

  // -- MENU
  void Menu(const Token& at, const Id& id) {
    uint16_t language = language_;
    while (CommonOption(language)) {
    }
    std::vector<MenuItem> items = MenuItems(at);
    Bytes b;
    b.Word(0);  // MENUITEMTEMPLATEHEADER: version, offset
    b.Word(0);
    WriteMenuItems(b, items);
    Add(at, kMenu, "", id, language, std::move(b.b));
  }
  std::vector<MenuItem> MenuItems(const Token& owner) {
    ExpectBegin();
    std::vector<MenuItem> items;
    while (InBlock()) {
      const Token& word = Next();
      MenuItem item;
      if (Same(word.text, "MENUITEM") && AcceptWord("SEPARATOR")) {
        items.push_back(item);
        continue;
      }
      if (!Same(word.text, "MENUITEM") && !Same(word.text, "POPUP"))
        Fail(word, "expected MENUITEM or POPUP but found " + Describe(word));
      item.popup = Same(word.text, "POPUP");
      item.text = WidenAnsi(ExpectString("a menu text"));
      if (!item.popup) {
        Expect(",");
        item.id = Word16("menu id");
      }
      item.flags = MenuOptions();
      if (item.popup) {
        item.flags |= kMfPopup;
        item.children = MenuItems(word);
      }
      items.push_back(std::move(item));
    }
    if (items.empty()) Fail(owner, "empty menu");
    ExpectEnd();
    return items;
  }
  uint16_t MenuOptions() {
    static const std::pair<const char*, uint16_t> kOptions[] = {
        {"GRAYED", kMfGrayed},       {"INACTIVE", kMfDisabled},
        {"CHECKED", kMfChecked},     {"MENUBARBREAK", kMfMenuBarBreak},
        {"MENUBREAK", kMfMenuBreak}, {"HELP", kMfHelp}};
    uint16_t flags = 0;
    for (;;) {
      bool comma = IsPunct(",") && Peek(1).kind == Kind::Ident;
      const Token& t = Peek(comma ? 1 : 0);
      auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                [&](const auto& o) { return t.kind == Kind::Ident && Same(t.text, o.first); });
      if (found == std::end(kOptions)) {
        if (comma) Fail(t, "unknown menu option '" + t.text + "'");
        return flags;
      }
      if (comma) Next();
      Next();
      flags |= found->second;
    }
  }
  static void WriteMenuItems(Bytes& b, const std::vector<MenuItem>& items) {
    for (size_t i = 0; i < items.size(); ++i) {
      const MenuItem& item = items[i];
      uint16_t flags = item.flags | (i + 1 == items.size() ? kMfEnd : 0);
      b.Word(flags);
      if (!item.popup) b.Word(item.id);
      b.Text(item.text);
      if (item.popup) WriteMenuItems(b, item.children);
    }
  }

  // -- ACCELERATORS
  void Accelerators(const Token& at, const Id& id) {
    uint16_t language = language_;
    while (CommonOption(language)) {
    }
    ExpectBegin();
    struct Entry {
      uint16_t flags, key, id;
    };
    std::vector<Entry> entries;
    while (InBlock()) {
      const Token& event = Peek();
      std::optional<char> character;
      uint16_t key = 0;
      if (event.kind == Kind::String) {
        const std::string& s = Next().text;
        if (s.size() == 2 && s[0] == '^' && std::isalpha(static_cast<unsigned char>(s[1])))
          character = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])) - '@');
        else if (s.size() == 1)
          character = s[0];
        else
          Fail(event, "accelerator key must be one character or ^letter: \"" + s + "\"");
        key = static_cast<uint8_t>(*character);
      } else {
        key = Word16("accelerator key");
      }
      Expect(",");
      uint16_t command = Word16("accelerator id");
      uint16_t flags = 0;
      bool ascii = false;
      while (Accept(",") || (Peek().kind == Kind::Ident && !IsEndOfBlock())) {
        const Token& option = Next();
        if (Same(option.text, "VIRTKEY"))
          flags |= kFVirtKey;
        else if (Same(option.text, "ASCII"))
          ascii = true;
        else if (Same(option.text, "NOINVERT"))
          flags |= kFNoInvert;
        else if (Same(option.text, "SHIFT"))
          flags |= kFShift;
        else if (Same(option.text, "CONTROL"))
          flags |= kFControl;
        else if (Same(option.text, "ALT"))
          flags |= kFAlt;
        else
          Fail(option, "unknown accelerator option " + Describe(option));
      }
      if (ascii && (flags & kFVirtKey)) Fail(event, "accelerator cannot be both ASCII and VIRTKEY");
      if (!(flags & kFVirtKey) && (flags & (kFShift | kFControl)))
        Fail(event, "SHIFT and CONTROL apply only to VIRTKEY accelerators");
      // A quoted letter as a virtual key means the key, whose code is the capital.
      if ((flags & kFVirtKey) && character)
        key = static_cast<uint8_t>(std::toupper(static_cast<unsigned char>(*character)));
      entries.push_back({flags, key, command});
    }
    ExpectEnd();
    Bytes b;
    for (size_t i = 0; i < entries.size(); ++i) {
      b.Word(entries[i].flags | (i + 1 == entries.size() ? kAccelLast : 0));
      b.Word(entries[i].key);
      b.Word(entries[i].id);
      b.Word(0);
    }
    Add(at, kAccelerator, "", id, language, std::move(b.b));
  }

  // -- STRINGTABLE: strings collect per language into blocks of 16
  void StringTable() {
    const Token& at = Next();
    uint16_t language = language_;
    SkipMemoryFlags();
    while (CommonOption(language)) {
    }
    ExpectBegin();
    while (InBlock()) {
      const Token& idAt = Peek();
      uint16_t id = Word16("string id");
      Accept(",");
      std::u16string text = WidenAnsi(ExpectString("a string"));
      auto& table = strings_[language];
      if (table.count(id)) Fail(idAt, "duplicate string id " + std::to_string(id));
      table[id] = {std::move(text), idAt};
    }
    ExpectEnd();
    (void)at;
  }
  void EmitStringTables() {
    for (const auto& [language, table] : strings_) {
      std::map<uint16_t, std::vector<const std::u16string*>> blocks;
      for (const auto& [id, entry] : table) {
        auto& block = blocks[id / 16];
        block.resize(16, nullptr);
        block[id % 16] = &entry.first;
      }
      for (const auto& [number, block] : blocks) {
        Bytes b;
        for (const std::u16string* s : block) {
          b.Word(s ? s->size() : 0);
          if (s)
            for (char16_t c : *s) b.Word(c);
        }
        Id id{"", static_cast<uint16_t>(number + 1)};
        Add(table.begin()->second.second, kString, "", id, language, std::move(b.b));
      }
    }
  }

  // -- files: BITMAP, ICON, CURSOR and user-defined types
  std::vector<uint8_t> ReadFile(const Token& at, const std::string& name) {
    std::vector<std::string> candidates;
    if (!name.empty() && name[0] == '/') {
      candidates.push_back(name);
    } else {
      auto folderOf = [](const std::string& path) {
        auto slash = path.rfind('/');
        return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
      };
      candidates.push_back(folderOf(at.file) + "/" + name);
      candidates.push_back(folderOf(scriptPath_) + "/" + name);
      for (const std::string& dir : searchDirs_) candidates.push_back(dir + "/" + name);
    }
    for (const std::string& path : candidates) {
      std::ifstream in(path, std::ios::binary);
      if (!in) continue;
      files_.insert(path);
      return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    Fail(at, "cannot open file \"" + name + "\"");
  }
  static uint32_t Le(const std::vector<uint8_t>& d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | d[at + i];
    return v;
  }

  void Bitmap(const Token& at, const Id& id) {
    std::string name = ExpectString("a bitmap file name");
    std::vector<uint8_t> file = ReadFile(at, name);
    // The resource is the file without its BITMAPFILEHEADER.
    if (file.size() < 14 + 12 || file[0] != 'B' || file[1] != 'M') Fail(at, "\"" + name + "\" is not a bitmap file");
    uint32_t headerSize = Le(file, 14, 4);
    if ((headerSize != 12 && headerSize < 40) || file.size() < 14 + headerSize)
      Fail(at, "\"" + name + "\" has a damaged bitmap header");
    Add(at, kBitmap, "", id, language_, std::vector<uint8_t>(file.begin() + 14, file.end()));
  }

  ImageFile ReadImageFile(const Token& at, const std::string& name, bool cursor) {
    std::vector<uint8_t> file = ReadFile(at, name);
    const char* what = cursor ? "cursor" : "icon";
    auto damaged = [&] { Fail(at, "\"" + name + "\" is not a valid " + what + " file"); };
    if (file.size() < 6 || Le(file, 0, 2) != 0 || Le(file, 2, 2) != (cursor ? 2u : 1u)) damaged();
    uint32_t count = Le(file, 4, 2);
    if (count == 0 || file.size() < 6 + 16 * count) damaged();
    ImageFile image;
    for (uint32_t i = 0; i < count; ++i) {
      size_t e = 6 + 16 * i;
      uint32_t size = Le(file, e + 8, 4), offset = Le(file, e + 12, 4);
      if (offset > file.size() || size > file.size() - offset || size < 40) damaged();
      ImageFile::Entry entry{file[e],
                             file[e + 1],
                             file[e + 2],
                             static_cast<uint16_t>(Le(file, e + 4, 2)),
                             static_cast<uint16_t>(Le(file, e + 6, 2)),
                             std::vector<uint8_t>(file.begin() + offset, file.begin() + offset + size)};
      image.entries.push_back(std::move(entry));
    }
    return image;
  }

  // Each image becomes an RT_ICON (RT_CURSOR) of its own; the group resource
  // (GRPICONDIR / the cursor directory) names them by number.
  void IconOrCursor(const Token& at, const Id& id, bool cursor) {
    ImageFile image = ReadImageFile(at, ExpectString(cursor ? "a cursor file name" : "an icon file name"), cursor);
    uint16_t& nextId = cursor ? nextCursorId_ : nextIconId_;
    Bytes group;
    group.Word(0);
    group.Word(cursor ? 2 : 1);
    group.Word(image.entries.size());
    for (const ImageFile::Entry& e : image.entries) {
      uint16_t imageId = nextId++;
      uint16_t planes = static_cast<uint16_t>(Le(e.image, 12, 2)), bits = static_cast<uint16_t>(Le(e.image, 14, 2));
      Bytes data;
      if (cursor) {
        data.Word(e.planesOrHotX);
        data.Word(e.bitsOrHotY);
        group.Word(e.width ? e.width : 256);
        group.Word((e.height ? e.height : 256) * 2);  // the image holds the XOR and AND masks
        group.Word(planes);
        group.Word(bits);
      } else {
        group.Byte(e.width);
        group.Byte(e.height);
        group.Byte(e.colours);
        group.Byte(0);
        group.Word(e.planesOrHotX ? e.planesOrHotX : planes);
        group.Word(e.bitsOrHotY ? e.bitsOrHotY : bits);
      }
      data.Append(e.image);
      group.Dword(data.b.size());
      group.Word(imageId);
      Add(at, cursor ? kCursor : kIcon, "", Id{"", imageId}, language_, std::move(data.b));
    }
    Add(at, cursor ? kGroupCursor : kGroupIcon, "", id, language_, std::move(group.b));
  }

  void UserDefined(const Token& at, const Id& id, const Token& type) {
    std::vector<uint8_t> data = ReadFile(at, Next().text);
    if (type.kind == Kind::Number) {
      if (type.value == 0 || type.value > 0xFFFF) Fail(type, "resource type out of range");
      Add(at, static_cast<uint16_t>(type.value), "", id, language_, std::move(data));
    } else {
      Add(at, 0, Upper(type.text), id, language_, std::move(data));
    }
  }

  std::vector<Token> t_;
  size_t p_ = 0;
  std::string scriptPath_;
  const std::vector<std::string>& searchDirs_;
  std::set<std::string>& files_;
  std::vector<Resource> out_;
  uint16_t language_ = 0x0409;  // rc's default: English (United States)
  uint16_t nextIconId_ = 1, nextCursorId_ = 1;
  std::map<uint16_t, std::map<uint16_t, std::pair<std::u16string, Token>>> strings_;
};

std::string CIdentifierText(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::u16string WidenAnsi(const std::string& text) {
  // 0x80..0x9F of Windows-1252; 0 marks the five unassigned codes, kept as is.
  static const char16_t k80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                   0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::u16string wide;
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    wide += (c >= 0x80 && c < 0xA0 && k80[c - 0x80]) ? k80[c - 0x80] : static_cast<char16_t>(c);
  }
  return wide;
}

Script Compile(const std::string& preprocessed, const std::string& scriptPath,
               const std::vector<std::string>& searchDirs) {
  std::set<std::string> files;
  Lexer lexer(preprocessed, scriptPath, files);
  Parser parser(lexer.All(), scriptPath, searchDirs, files);
  Script script;
  script.resources = parser.Run();
  script.dependencies.assign(files.begin(), files.end());
  return script;
}

std::string EmitTableSource(const Script& script, const std::string& scriptPath) {
  std::ostringstream out;
  out << "// Generated by ovx_rc from " << scriptPath << ": do not edit.\n"
      << "#include \"resource_table.h\"\n\nnamespace {\n";
  const auto& resources = script.resources;
  for (size_t i = 0; i < resources.size(); ++i) {
    const std::vector<uint8_t>& data = resources[i].data;
    out << "alignas(4) const BYTE kData" << i << "[" << std::max<size_t>(data.size(), 1) << "] = {";
    for (size_t k = 0; k < data.size(); ++k) {
      if (k % 16 == 0) out << "\n ";
      char hex[8];
      std::snprintf(hex, sizeof hex, " 0x%02x,", data[k]);
      out << hex;
    }
    out << "\n};\n";
  }
  if (!resources.empty()) {
    out << "const OvxResourceEntry kEntries[] = {\n";
    for (size_t i = 0; i < resources.size(); ++i) {
      const Resource& r = resources[i];
      out << "  {" << (r.typeName.empty() ? "nullptr" : CIdentifierText(r.typeName)) << ", "
          << (r.name.empty() ? "nullptr" : CIdentifierText(r.name)) << ", " << r.typeId << ", " << r.nameId << ", 0x"
          << std::hex << r.language << std::dec << ", 0, kData" << i << ", " << r.data.size() << "},\n";
    }
    out << "};\n";
  }
  out << "}  // namespace\n\nextern \"C\" __attribute__((visibility(\"default\"))) const OvxResourceTable "
         "ovx_module_resources = {\n  OVX_RESOURCE_MAGIC, OVX_RESOURCE_VERSION, "
      << resources.size() << ", " << (resources.empty() ? "nullptr" : "kEntries") << "};\n";
  return out.str();
}

}  // namespace rc
