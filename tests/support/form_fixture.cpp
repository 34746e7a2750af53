#include "tests/support/form_fixture.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace zorvik::testing {

namespace {

constexpr std::string_view kSettingsKey = "Zorvik\\Setings";

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '\\' || ch == '"') {
            out += '\\';
        }
        out += ch;
    }
    return out + "\"";
}

// One value line of the registry editor's syntax: strings, dwords, and any other type kept as
// its tag ("hex", "hex(7)") and, for bytes, the text after it.
std::pair<std::string, RegistryValue> parseLine(std::string_view line) {
    const auto fail = [&] {
        return std::invalid_argument("not a value line: " + std::string(line));
    };
    if (line.empty() || line.front() != '"') {
        throw fail();
    }
    const auto closing = line.find("\"=");
    if (closing == std::string_view::npos) {
        throw fail();
    }
    std::string name(line.substr(1, closing - 1));
    const std::string_view data = line.substr(closing + 2);
    if (data.rfind("dword:", 0) == 0) {
        return {name, RegistryValue::dword(static_cast<std::uint32_t>(
                          std::stoul(std::string(data.substr(6)), nullptr, 16)))};
    }
    if (!data.empty() && data.front() == '"' && data.back() == '"') {
        std::string text;
        for (std::size_t i = 1; i + 1 < data.size(); ++i) {
            if (data[i] == '\\' && i + 2 < data.size()) {
                ++i;
            }
            text += data[i];
        }
        return {name, RegistryValue::string(std::move(text))};
    }
    const std::size_t colon = data.find(':');
    return {name, RegistryValue{RegistryValue::Type::Other, std::string(data.substr(0, colon)), 0,
                                std::string(data.substr(colon + 1))}};
}

}  // namespace

FormFixture::FormFixture() : shells(registry) {
    files.makeFolder(deleted);
}

void FormFixture::addMelody(const WinPath& folder, const std::string& name,
                            const std::string& content) {
    files.writeFile(folder / name, content.empty() ? "RIFF melody " + name : content);
}

std::string FormFixture::readFile(const WinPath& path) const {
    return files.readFile(path).value_or(std::string());
}

std::string FormFixture::listing(const WinPath& folder) const {
    std::string out;
    for (const auto& name : files.namesIn(folder)) {
        out += out.empty() ? name : " " + name;
    }
    return out;
}

std::string FormFixture::storeText() const {
    std::string out;
    for (const auto& [name, value] : registry.valuesOf(kSettingsKey)) {
        out += quoted(name) + "=";
        switch (value.type) {
            case RegistryValue::Type::Dword: {
                char digits[16];
                std::snprintf(digits, sizeof digits, "dword:%08x", value.number);
                out += digits;
                break;
            }
            case RegistryValue::Type::String:
            case RegistryValue::Type::ExpandString:
                out += quoted(value.text);
                break;
            case RegistryValue::Type::Other:
                out += value.text + ":" + value.bytes;
                break;
        }
        out += "\n";
    }
    return out;
}

void FormFixture::writeStore(const std::string& valueLines) {
    for (const auto& [name, value] : registry.valuesOf(kSettingsKey)) {
        registry.erase(kSettingsKey, name);
    }
    std::size_t start = 0;
    while (start < valueLines.size()) {
        const std::size_t end = std::min(valueLines.find('\n', start), valueLines.size());
        if (end > start) {
            auto [name, value] = parseLine(std::string_view(valueLines).substr(start, end - start));
            registry.set(kSettingsKey, name, std::move(value));
        }
        start = end + 1;
    }
}

}  // namespace zorvik::testing
