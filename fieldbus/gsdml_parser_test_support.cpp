#include "fieldbus/gsdml_parser_test_support.h"

#include <set>
#include <string_view>

#include "fieldbus/text_parsing_test_support.h"

namespace {

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::vector<size_t> children;
};

void AppendUtf8(std::string& text, unsigned long c) {
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (c >> 18));
    text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsXmlCharacter(unsigned long c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':'; }
bool IsNameCharacter(char c) {
  return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

// The document as UTF-8, from the encoding its declaration names.
bool Decode(const std::string& text, std::string& utf8, std::string& error) {
  if (text.rfind("<?xml", 0) != 0) return error = "no XML declaration", false;
  size_t end = text.find("?>");
  std::string declaration = Upper(text.substr(0, end));
  bool latin1 = declaration.find("ENCODING=\"ISO-8859-1\"") != std::string::npos;
  if (!latin1 && declaration.find("ENCODING=\"UTF-8\"") == std::string::npos) {
    return error = "an encoding this check does not read", false;
  }
  if (!latin1) {
    utf8 = text;
    return true;
  }
  for (char c : text) AppendUtf8(utf8, static_cast<unsigned char>(c));
  return true;
}

class XmlReader {
 public:
  XmlReader(const std::string& text, std::vector<Element>& elements, std::string& error)
      : text_(text), elements_(elements), error_(error) {}

  bool Read() {
    at_ = text_.find("?>") + 2;
    size_t root = 0;
    bool haveRoot = false;
    for (;;) {
      SkipSpace();
      if (at_ >= text_.size()) break;
      if (text_.compare(at_, 4, "<!--") == 0) {
        if (!Skip("-->")) return false;
      } else if (text_.compare(at_, 2, "<?") == 0) {
        if (!Skip("?>")) return false;
      } else if (!haveRoot && text_[at_] == '<') {
        if (!ReadElement(root)) return false;
        haveRoot = true;
      } else {
        return Fail("text outside the root element");
      }
    }
    return haveRoot || Fail("no root element");
  }

 private:
  bool Fail(const std::string& message) { return FailAt(error_, text_, at_, message); }

  void SkipSpace() {
    while (at_ < text_.size() && std::string_view(" \t\r\n").find(text_[at_]) != std::string_view::npos) ++at_;
  }

  bool Skip(const char* end) {
    size_t found = text_.find(end, at_);
    if (found == std::string::npos) return Fail(std::string("no closing ") + end);
    at_ = found + std::string_view(end).size();
    return true;
  }

  bool ReadName(std::string& name) {
    if (at_ >= text_.size() || !IsNameStart(text_[at_])) return Fail("name expected");
    size_t start = at_;
    while (at_ < text_.size() && IsNameCharacter(text_[at_])) ++at_;
    name = text_.substr(start, at_ - start);
    return true;
  }

  // At '&': a predefined entity or a character reference.
  bool ReadReference(std::string& value) {
    size_t end = text_.find(';', at_);
    if (end == std::string::npos || end - at_ > 12) return Fail("reference not closed");
    std::string name = text_.substr(at_ + 1, end - at_ - 1);
    static const std::map<std::string, char> entities = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    if (entities.count(name)) {
      value += entities.at(name);
    } else if (name.size() > 1 && name[0] == '#') {
      bool hex = name[1] == 'x';
      std::string digits = name.substr(hex ? 2 : 1);
      if (digits.empty() ||
          digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) {
        return Fail("bad character reference &" + name + ";");
      }
      unsigned long c = std::stoul(digits, nullptr, hex ? 16 : 10);
      if (!IsXmlCharacter(c)) return Fail("reference to a character XML does not have");
      AppendUtf8(value, c);
    } else {
      return Fail("unknown entity &" + name + ";");
    }
    at_ = end + 1;
    return true;
  }

  bool ReadAttribute(Element& element) {
    std::string name;
    if (!ReadName(name)) return false;
    SkipSpace();
    if (at_ >= text_.size() || text_[at_] != '=') return Fail("'=' expected after " + name);
    ++at_;
    SkipSpace();
    if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) return Fail("quoted value expected");
    char quote = text_[at_++];
    std::string value;
    while (at_ < text_.size() && text_[at_] != quote) {
      char c = text_[at_];
      if (c == '<') return Fail("'<' in an attribute value");
      if (c == '&') {
        if (!ReadReference(value)) return false;
        continue;
      }
      // Attribute values are normalized: line ends and tabs read as spaces.
      value += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
      ++at_;
    }
    if (at_ >= text_.size()) return Fail("attribute value not closed");
    ++at_;
    if (!element.attributes.emplace(name, value).second) return Fail("attribute " + name + " repeated");
    return true;
  }

  bool ReadElement(size_t& index) {
    ++at_;  // '<'
    index = elements_.size();
    elements_.emplace_back();
    if (!ReadName(elements_[index].name)) return false;
    for (;;) {
      size_t before = at_;
      SkipSpace();
      if (at_ >= text_.size()) return Fail("tag not closed");
      if (text_.compare(at_, 2, "/>") == 0) {
        at_ += 2;
        return true;
      }
      if (text_[at_] == '>') {
        ++at_;
        break;
      }
      if (at_ == before) return Fail("space expected between attributes");
      if (!ReadAttribute(elements_[index])) return false;
    }
    for (;;) {
      if (at_ >= text_.size()) return Fail(elements_[index].name + " not closed");
      if (text_.compare(at_, 2, "</") == 0) {
        at_ += 2;
        std::string name;
        if (!ReadName(name)) return false;
        SkipSpace();
        if (name != elements_[index].name || at_ >= text_.size() || text_[at_] != '>') {
          return Fail("</" + elements_[index].name + "> expected");
        }
        ++at_;
        return true;
      }
      if (text_.compare(at_, 4, "<!--") == 0) {
        if (!Skip("-->")) return false;
      } else if (text_[at_] == '<') {
        size_t child;
        if (!ReadElement(child)) return false;
        elements_[index].children.push_back(child);
      } else if (text_[at_] == '&') {
        std::string ignored;
        if (!ReadReference(ignored)) return false;
      } else {
        ++at_;
      }
    }
  }

  const std::string& text_;
  std::vector<Element>& elements_;
  std::string& error_;
  size_t at_ = 0;
};

const std::string* Attribute(const Element& element, const char* name) {
  auto found = element.attributes.find(name);
  return found == element.attributes.end() ? nullptr : &found->second;
}

int DataTypeBits(const std::string& type) {
  static const std::map<std::string, int> bits = {
      {"Integer8", 8},   {"Integer16", 16},  {"Integer32", 32}, {"Integer64", 64}, {"Unsigned8", 8},
      {"Unsigned16", 16}, {"Unsigned32", 32}, {"Unsigned64", 64}, {"Float32", 32},   {"Float64", 64}};
  auto found = bits.find(type);
  return found == bits.end() ? 0 : found->second;
}

bool IsIdentNumber(const std::string& text) {
  if (text.size() != 10 || text.compare(0, 2, "0x") != 0) return false;
  std::string digits = text.substr(2);
  return digits.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos &&
         digits.find_first_not_of('0') != std::string::npos;
}

bool IsNcName(const std::string& text) {
  if (text.empty() || text.find(':') != std::string::npos || !IsNameStart(text[0])) return false;
  for (char c : text) {
    if (!IsNameCharacter(c)) return false;
  }
  return true;
}

bool Fail(std::string& error, const std::string& message) {
  error = message;
  return false;
}

bool ReadDataItem(const std::vector<Element>& elements, const Element& item, GsdmlModule& module,
                  std::string& error) {
  const std::string* type = Attribute(item, "DataType");
  if (type == nullptr || DataTypeBits(*type) == 0) return Fail(error, module.id + ": unknown data type");
  module.dataType = *type;
  if (const std::string* textId = Attribute(item, "TextId")) module.textId = *textId;
  std::set<long long> offsets;
  for (size_t child : item.children) {
    const Element& bit = elements[child];
    long long offset;
    const std::string* text = Attribute(bit, "BitOffset");
    if (bit.name != "BitDataItem" || text == nullptr || !Number(*text, offset)) {
      return Fail(error, module.id + ": bad bit item");
    }
    if (offset < 0 || offset >= DataTypeBits(*type)) return Fail(error, module.id + ": bit beyond its data type");
    if (!offsets.insert(offset).second) return Fail(error, module.id + ": bit offset repeated");
    module.bitOffsets.push_back(offset);
  }
  return true;
}

// The module's data item under IOData/Input or IOData/Output, found at any depth.
bool ReadModule(const std::vector<Element>& elements, size_t index, GsdmlModule& module, bool& exchanges,
                std::string& error) {
  const Element& element = elements[index];
  for (size_t child : element.children) {
    const Element& inner = elements[child];
    if (inner.name == "Input" || inner.name == "Output") {
      for (size_t item : inner.children) {
        if (elements[item].name != "DataItem") continue;
        if (exchanges) return Fail(error, module.id + ": more than one data item");
        exchanges = true;
        module.direction = inner.name;
        if (!ReadDataItem(elements, elements[item], module, error)) return false;
      }
    } else if (!ReadModule(elements, child, module, exchanges, error)) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseGsdml(const std::string& text, GsdmlFile& file, std::string& error) {
  std::string utf8;
  if (!Decode(text, utf8, error)) return false;
  for (size_t at = 0; at < utf8.size(); ++at) {
    auto c = static_cast<unsigned char>(utf8[at]);
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') return FailAt(error, utf8, at, "control character");
  }
  std::vector<Element> elements;
  if (!XmlReader(utf8, elements, error).Read()) return false;
  if (elements.empty() || elements[0].name != "ISO15745Profile") return Fail(error, "root is not ISO15745Profile");

  std::set<std::string> ids;
  std::set<std::string> moduleIds;
  std::set<std::string> identNumbers;
  for (const Element& element : elements) {
    if (const std::string* id = Attribute(element, "ID")) {
      if (!IsNcName(*id)) return Fail(error, "ID " + *id + " is no XML name");
      if (!ids.insert(*id).second) return Fail(error, "ID " + *id + " repeated");
      if (element.name == "ModuleItem") moduleIds.insert(*id);
    }
    if (element.name == "Text") {
      const std::string* textId = Attribute(element, "TextId");
      const std::string* value = Attribute(element, "Value");
      if (textId == nullptr || value == nullptr) return Fail(error, "Text without TextId or Value");
      if (!file.texts.emplace(*textId, *value).second) return Fail(error, "TextId " + *textId + " repeated");
    }
  }
  for (size_t index = 0; index < elements.size(); ++index) {
    const Element& element = elements[index];
    const std::string* textId = Attribute(element, "TextId");
    if (element.name != "Text" && textId != nullptr && !file.texts.count(*textId)) {
      return Fail(error, element.name + " names the missing text " + *textId);
    }
    if (element.name == "ModuleItemRef") {
      const std::string* target = Attribute(element, "ModuleItemTarget");
      if (target == nullptr || !moduleIds.count(*target)) return Fail(error, "reference to a missing module");
    }
    if (element.name != "ModuleItem") continue;
    GsdmlModule module;
    module.id = *Attribute(element, "ID");
    const std::string* number = Attribute(element, "ModuleIdentNumber");
    if (number == nullptr || !IsIdentNumber(*number)) return Fail(error, module.id + ": bad ModuleIdentNumber");
    if (!identNumbers.insert(Upper(*number)).second) return Fail(error, module.id + ": ModuleIdentNumber repeated");
    module.identNumber = *number;
    bool exchanges = false;
    if (!ReadModule(elements, index, module, exchanges, error)) return false;
    if (exchanges) file.modules.push_back(module);
  }
  return true;
}
