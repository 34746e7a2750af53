#include <optional>

#include "platform/posix/reg_document.h"
#include "platform/posix/reg_syntax.h"

// The document written out: as few pieces as the lines allow.
namespace zorvik::posix {

namespace {

constexpr std::string_view kLineFeed = "\n";

}  // namespace

std::string RegDocument::formatValue(std::string_view valueName, const RegistryValue& value) {
    return reg_syntax::formatValueLine(valueName, value);
}

std::vector<std::string_view> RegDocument::pieces() const {
    std::vector<std::string_view> out;
    // a store that was empty, or held comments only, gets the header that makes it readable
    if (!hasHeader_) {
        out.push_back(reg_syntax::kHeader);
        out.push_back(kLineFeed);
        if (preambleLines_ == 0) {
            out.push_back(kLineFeed);
        }
    }
    // Stretches that follow each other in the file as read go out as one piece: a write
    // changes a line or two, and the rest of a large store goes out in a few pieces. Each
    // stretch is whole lines, and its line feed is the one that follows it in the file, or a
    // shared one for the lines this document wrote.
    std::optional<Span> pending;
    const auto flush = [&] {
        if (!pending) {
            return;
        }
        if (pending->source == 0 && pending->offset + pending->size < file_.size()) {
            ++pending->size;  // the file's own line feed after it
            out.push_back(text(*pending));
        } else {
            out.push_back(text(*pending));
            out.push_back(kLineFeed);
        }
        pending.reset();
    };
    const auto add = [&](const Span& span) {
        if (pending && span.source == 0 && pending->source == 0 &&
            span.offset == pending->offset + pending->size + 1) {
            pending->size += span.size + 1;
            return;
        }
        flush();
        pending = span;
    };
    if (preambleLines_ > 0) {
        add(preamble_);
    }
    for (const auto& section : sections_) {
        add(section.headerLine);
        for (std::size_t i = 0; i < section.entryCount; ++i) {
            add(entries_[section.firstEntry + i].lines);
        }
    }
    flush();
    return out;
}

std::string RegDocument::serialize() const {
    const auto parts = pieces();
    std::size_t size = 0;
    for (const auto part : parts) {
        size += part.size();
    }
    std::string out;
    out.reserve(size);
    for (const auto part : parts) {
        out += part;
    }
    return out;
}

}  // namespace zorvik::posix
