#include "platform/text_breaks.h"

#include <algorithm>

#include "platform/grapheme_table.h"
#include "platform/windows_text.h"

namespace zorvik::text {

namespace {

GraphemeKind kindOf(char32_t codePoint) {
    constexpr char32_t kFirstSyllable = 0xAC00;
    constexpr char32_t kLastSyllable = 0xD7A3;
    constexpr char32_t kTrailingConsonants = 28;
    if (codePoint >= kFirstSyllable && codePoint <= kLastSyllable) {
        // a syllable with no trailing consonant takes one still
        return (codePoint - kFirstSyllable) % kTrailingConsonants == 0 ? GraphemeKind::Lv
                                                                       : GraphemeKind::Lvt;
    }
    const auto& ranges = grapheme_table::kRanges;
    const auto* after = std::upper_bound(
        std::begin(ranges), std::end(ranges), codePoint,
        [](char32_t wanted, const GraphemeRange& range) { return wanted < range.first; });
    if (after == std::begin(ranges) || codePoint > std::prev(after)->last) {
        return GraphemeKind::Other;
    }
    return std::prev(after)->kind;
}

// What the rules need to know of the cluster so far, beyond its last character.
struct ClusterSoFar {
    GraphemeKind last;
    int regionalIndicators = 0;          // a flag is two of them
    bool pictographThenExtends = false;  // a pictograph, then only marks since
    bool joinerAfterPictograph = false;
};

bool isIn(GraphemeKind kind, std::initializer_list<GraphemeKind> kinds) {
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

// Unicode's rules GB3 to GB13: whether `next` goes on the cluster.
bool continues(const ClusterSoFar& cluster, GraphemeKind next) {
    using enum GraphemeKind;
    const GraphemeKind last = cluster.last;
    if (last == Cr && next == Lf) {
        return true;
    }
    if (isIn(last, {Control, Cr, Lf}) || isIn(next, {Control, Cr, Lf})) {
        return false;
    }
    if ((last == L && isIn(next, {L, V, Lv, Lvt})) || (isIn(last, {Lv, V}) && isIn(next, {V, T})) ||
        (isIn(last, {Lvt, T}) && next == T)) {
        return true;
    }
    if (isIn(next, {Extend, Zwj, SpacingMark}) || last == Prepend) {
        return true;
    }
    if (last == Zwj && next == Pictographic) {
        return cluster.joinerAfterPictograph;
    }
    return last == RegionalIndicator && next == RegionalIndicator &&
           cluster.regionalIndicators % 2 == 1;
}

void add(ClusterSoFar& cluster, GraphemeKind next) {
    using enum GraphemeKind;
    cluster.joinerAfterPictograph = next == Zwj && cluster.pictographThenExtends;
    cluster.pictographThenExtends =
        next == Pictographic || (next == Extend && cluster.pictographThenExtends);
    cluster.regionalIndicators += next == RegionalIndicator ? 1 : 0;
    cluster.last = next;
}

}  // namespace

std::size_t graphemeEnd(std::string_view utf8, std::size_t at) {
    std::size_t end = at;
    const auto first = nextCodePoint(utf8, end);
    if (!first) {
        return at + 1;
    }
    ClusterSoFar cluster{GraphemeKind::Other};
    add(cluster, kindOf(*first));
    while (end < utf8.size()) {
        std::size_t after = end;
        const auto next = nextCodePoint(utf8, after);
        if (!next || !continues(cluster, kindOf(*next))) {
            break;
        }
        add(cluster, kindOf(*next));
        end = after;
    }
    return end;
}

std::string brokenForABox(std::string_view message) {
    std::string shown;
    shown.reserve(message.size() + message.size() / kLongestUnbrokenRun);
    std::size_t run = 0;
    for (std::size_t at = 0; at < message.size();) {
        const std::size_t end = graphemeEnd(message, at);
        const std::string_view character = message.substr(at, end - at);
        if (character == "\r\n" || character == "\n" || character == " ") {
            run = 0;
            shown += character == " " ? " " : "\n";
        } else {
            if (++run > kLongestUnbrokenRun) {
                shown += '\n';
                run = 1;
            }
            shown += character;
        }
        at = end;
    }
    return shown;
}

}  // namespace zorvik::text
