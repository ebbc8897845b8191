// Every text the Qt-free layers mark with UI_TEXT needs a finished Korean translation in
// translations/sonvale_ko.ts under the same context, or Korean users read it in English.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace {

namespace fs = std::filesystem;
using Key = std::pair<std::string, std::string>; // context, source

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Reads one or more adjacent C++ string literals at `at` (the compiler joins them); false when
// there is none.
bool ReadLiterals(const std::string& code, size_t& at, std::string& text) {
    auto skipSpace = [&] {
        while (at < code.size() && std::isspace(static_cast<unsigned char>(code[at])))
            ++at;
    };
    skipSpace();
    if (at >= code.size() || code[at] != '"')
        return false;
    text.clear();
    while (at < code.size() && code[at] == '"') {
        for (++at; at < code.size() && code[at] != '"'; ++at) {
            if (code[at] == '\\' && at + 1 < code.size()) {
                ++at;
                text += code[at] == 'n' ? '\n' : code[at];
            } else {
                text += code[at];
            }
        }
        ++at;
        skipSpace();
    }
    return true;
}

// UI_TEXT("Context", "Source") in the code, with the file it is in.
std::map<Key, std::string> MarkedTexts(const fs::path& root) {
    std::map<Key, std::string> found;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string name = it->path().filename().string();
        if (it->is_directory() &&
            (name.starts_with(".") || name.starts_with("build") || name == "tests")) {
            it.disable_recursion_pending();
            continue;
        }
        const std::string ext = it->path().extension().string();
        if (!it->is_regular_file() || (ext != ".cpp" && ext != ".h"))
            continue;
        const std::string code = ReadFile(it->path());
        for (size_t at = code.find("UI_TEXT("); at != std::string::npos;
             at = code.find("UI_TEXT(", at + 1)) {
            const size_t lineStart = code.rfind('\n', at) + 1; // npos + 1 is 0
            if (code.find("//", lineStart) < at)
                continue; // a comment
            size_t next = at + 8;
            Key key;
            if (!ReadLiterals(code, next, key.first) || code[next] != ',')
                continue; // the macro itself
            ++next;
            if (ReadLiterals(code, next, key.second))
                found[key] = fs::relative(it->path(), root).string();
        }
    }
    return found;
}

std::string Unescape(std::string text) {
    const std::pair<std::string, std::string> entities[] = {
        {"&quot;", "\""}, {"&apos;", "'"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}};
    for (const auto& [entity, character] : entities)
        for (size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + character.size()))
            text.replace(at, entity.size(), character);
    return text;
}

// The element's text between <tag...> and </tag> from `at`; `at` moves past it.
std::string Element(const std::string& xml, const std::string& tag, size_t& at,
                    std::string* attributes = nullptr) {
    const size_t open = xml.find("<" + tag, at);
    const size_t body = xml.find('>', open) + 1;
    const size_t close = xml.find("</" + tag + ">", body);
    if (attributes)
        *attributes = xml.substr(open + tag.size() + 1, body - 1 - open - tag.size() - 1);
    at = close + tag.size() + 3;
    return Unescape(xml.substr(body, close - body));
}

// The messages of the .ts file that have a finished translation.
std::set<Key> FinishedTranslations(const fs::path& tsFile) {
    const std::string xml = ReadFile(tsFile);
    std::set<Key> finished;
    for (size_t context = xml.find("<context>"); context != std::string::npos;) {
        const size_t end = xml.find("</context>", context);
        size_t at = context;
        const std::string name = Element(xml, "name", at);
        for (size_t message = xml.find("<message", at); message < end;
             message = xml.find("<message", at)) {
            at = message;
            const std::string source = Element(xml, "source", at);
            std::string attributes;
            const std::string translation = Element(xml, "translation", at, &attributes);
            if (!translation.empty() && attributes.find("type=") == std::string::npos)
                finished.insert({name, source});
        }
        context = xml.find("<context>", end);
    }
    return finished;
}

TEST(TranslationsTest, EveryMarkedTextHasAFinishedKoreanTranslation) {
    const fs::path root = SONVALE_SOURCE_DIR;
    const std::set<Key> finished = FinishedTranslations(root / "translations/sonvale_ko.ts");
    const std::map<Key, std::string> marked = MarkedTexts(root);
    EXPECT_TRUE(finished.count({"KeyFunctions", "Repeat Section (A<->B)"}));
    EXPECT_TRUE(marked.count({"KeyFunctions", "Repeat Section (A<->B)"}));
    EXPECT_GE(marked.size(), 40u);
    for (const auto& [key, file] : marked)
        EXPECT_TRUE(finished.count(key))
            << file << ": \"" << key.second << "\" in context " << key.first;
}

} // namespace
