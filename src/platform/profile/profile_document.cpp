#include "platform/profile/profile_document.h"

#include <algorithm>

namespace velmora::profile {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kLf = "\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// The section name of a header line "[name]", or nothing.
std::optional<std::string_view> HeaderName(std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
  const std::size_t close = trimmed.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return TrimBlanks(trimmed.substr(1, close - 1));
}

}  // namespace

std::string FoldCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

ProfileDocument::Line ProfileDocument::MakeLine(std::string text, std::string_view eol) {
  Line line{std::move(text), eol, {}, 0};
  const std::string_view trimmed = TrimBlanks(line.text);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return line;
  const std::size_t equals = line.text.find('=');
  if (equals == std::string::npos) return line;
  const std::string_view key = TrimBlanks(std::string_view(line.text).substr(0, equals));
  if (key.empty()) return line;
  line.key_folded = FoldCase(key);
  // A rewrite replaces only the value: blanks after '=' stay as they were.
  line.value_begin = equals + 1;
  while (line.value_begin < line.text.size() && IsBlank(line.text[line.value_begin]))
    ++line.value_begin;
  return line;
}

ProfileDocument ProfileDocument::Parse(std::string_view text) {
  ProfileDocument doc;
  if (text.starts_with(kBom)) {
    doc.bom_ = kBom;
    text.remove_prefix(kBom.size());
  }
  bool eol_seen = false;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view body = text.substr(0, lf);
    std::string_view eol;
    if (lf == std::string_view::npos) {
      text = {};
    } else {
      text.remove_prefix(lf + 1);
      eol = kLf;
      if (body.ends_with('\r')) {
        body.remove_suffix(1);
        eol = kCrLf;
      }
      if (!eol_seen) {
        doc.eol_ = eol;
        eol_seen = true;
      }
    }
    if (const auto name = HeaderName(body)) {
      doc.sections_.push_back({FoldCase(*name), Line{std::string(body), eol, {}, 0}, {}});
    } else if (doc.sections_.empty()) {
      doc.preamble_.push_back(MakeLine(std::string(body), eol));
    } else {
      doc.sections_.back().lines.push_back(MakeLine(std::string(body), eol));
    }
  }
  return doc;
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view folded) const {
  for (const Section& s : sections_)
    if (s.name_folded == folded) return &s;
  return nullptr;
}

ProfileDocument::Section* ProfileDocument::FindSection(std::string_view folded) {
  for (Section& s : sections_)
    if (s.name_folded == folded) return &s;
  return nullptr;
}

bool ProfileDocument::HasSection(std::string_view section) const {
  return FindSection(FoldCase(TrimBlanks(section))) != nullptr;
}

std::vector<std::string> ProfileDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const Section& s : sections_) names.emplace_back(*HeaderName(s.header.text));
  return names;
}

std::optional<std::string> ProfileDocument::Get(std::string_view section,
                                                std::string_view key) const {
  const Section* s = FindSection(FoldCase(TrimBlanks(section)));
  if (!s) return std::nullopt;
  const std::string folded = FoldCase(TrimBlanks(key));
  for (const Line& line : s->lines)
    if (!line.key_folded.empty() && line.key_folded == folded)
      return std::string(TrimBlanks(std::string_view(line.text).substr(line.value_begin)));
  return std::nullopt;
}

void ProfileDocument::TerminateLastLine() {
  Line* last = nullptr;
  if (!sections_.empty()) {
    Section& s = sections_.back();
    last = s.lines.empty() ? &s.header : &s.lines.back();
  } else if (!preamble_.empty()) {
    last = &preamble_.back();
  }
  if (last && last->eol.empty()) last->eol = eol_;
}

bool ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (key.empty() || HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
      key.find('=') != std::string_view::npos || section.find(']') != std::string_view::npos)
    return false;

  const std::string section_folded = FoldCase(section);
  Section* s = FindSection(section_folded);
  if (!s) {
    TerminateLastLine();
    sections_.push_back({section_folded, Line{"[" + std::string(section) + "]", eol_, {}, 0}, {}});
    sections_.back().lines.push_back(MakeLine(std::string(key) + "=" + std::string(value), eol_));
    return true;
  }

  const std::string key_folded = FoldCase(key);
  auto last_key = s->lines.end();
  for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
    if (it->key_folded.empty()) continue;
    if (it->key_folded == key_folded) {
      it->text.replace(it->value_begin, std::string::npos, value);
      return true;
    }
    last_key = it;
  }

  // After the section's last key, so that comments and blank lines leading into
  // the next section stay with it.
  const bool at_section_end =
      last_key == s->lines.end() ? s->lines.empty() : last_key + 1 == s->lines.end();
  if (at_section_end && s == &sections_.back()) TerminateLastLine();
  const auto position = last_key == s->lines.end() ? s->lines.begin() : last_key + 1;
  s->lines.insert(position, MakeLine(std::string(key) + "=" + std::string(value), eol_));
  return true;
}

std::string ProfileDocument::Serialize() const {
  std::string out = bom_;
  auto append = [&out](const Line& line) {
    out += line.text;
    out += line.eol;
  };
  for (const Line& line : preamble_) append(line);
  for (const Section& s : sections_) {
    append(s.header);
    for (const Line& line : s.lines) append(line);
  }
  return out;
}

}  // namespace velmora::profile
