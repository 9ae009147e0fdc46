#include "diffview/core/line_diff.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace diffview {

namespace {

using Index = std::ptrdiff_t;

// The search over two index ranges of the reduced sequences. The diagonal arrays hold one entry per
// diagonal k = i - j of the whole problem plus a margin, reused by every recursion: memory is linear.
class MyersSearch {
public:
    MyersSearch(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b,
                std::vector<bool>& removedA, std::vector<bool>& addedB)
        : a_(a), b_(b), removed_(removedA), added_(addedB) {
        const Index diagonals = static_cast<Index>(a.size() + b.size()) + 3;
        forward_.assign(static_cast<std::size_t>(diagonals), 0);
        backward_.assign(static_cast<std::size_t>(diagonals), 0);
        origin_ = static_cast<Index>(b.size()) + 1;
        // The cost bound: about the square root of the problem's size, at least 256 (a bounded search is
        // O(bound^2) per split; below the bound the result is minimal).
        Index bound = 1;
        while (bound * bound < diagonals) bound <<= 1;
        maxCost_ = std::max<Index>(256, bound);
    }

    // Iterative over an explicit stack: recursion depth could reach D on adversarial input.
    void Run() {
        struct Range { Index a0, a1, b0, b1; };
        std::vector<Range> stack{{0, static_cast<Index>(a_.size()), 0, static_cast<Index>(b_.size())}};
        while (!stack.empty()) {
            Range r = stack.back();
            stack.pop_back();
            while (r.a0 < r.a1 && r.b0 < r.b1 && a_[r.a0] == b_[r.b0]) ++r.a0, ++r.b0;
            while (r.a0 < r.a1 && r.b0 < r.b1 && a_[r.a1 - 1] == b_[r.b1 - 1]) --r.a1, --r.b1;
            if (r.a0 == r.a1) {
                for (Index j = r.b0; j < r.b1; ++j) added_[j] = true;
                continue;
            }
            if (r.b0 == r.b1) {
                for (Index i = r.a0; i < r.a1; ++i) removed_[i] = true;
                continue;
            }
            Index x = 0, y = 0;
            Split(r.a0, r.a1, r.b0, r.b1, x, y);
            if ((x == r.a0 && y == r.b0) || (x == r.a1 && y == r.b1)) {
                // Not expected from a trimmed box; mark it whole rather than loop forever.
                for (Index i = r.a0; i < r.a1; ++i) removed_[i] = true;
                for (Index j = r.b0; j < r.b1; ++j) added_[j] = true;
                continue;
            }
            stack.push_back({x, r.a1, y, r.b1});
            stack.push_back({r.a0, x, r.b0, y});
        }
    }

private:
    Index& F(Index k) { return forward_[static_cast<std::size_t>(k + origin_)]; }
    Index& B(Index k) { return backward_[static_cast<std::size_t>(k + origin_)]; }

    // Finds a point (x, y) on an optimal (or, past the cost bound, a good) path through the box, strictly
    // inside it in the sense that both halves are smaller than the box. The box's ends differ.
    void Split(Index off1, Index lim1, Index off2, Index lim2, Index& x, Index& y) {
        const Index dmin = off1 - lim2, dmax = lim1 - off2;
        const Index fmid = off1 - off2, bmid = lim1 - lim2;
        const bool odd = ((fmid - bmid) & 1) != 0;
        Index fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
        F(fmid) = off1;
        B(bmid) = lim1;
        for (Index cost = 1;; ++cost) {
            // Forward: extend each furthest-reaching path by one edit and then along its snake.
            if (fmin > dmin) F(--fmin - 1) = -1; else ++fmin;
            if (fmax < dmax) F(++fmax + 1) = -1; else --fmax;
            for (Index d = fmax; d >= fmin; d -= 2) {
                Index i1 = F(d - 1) >= F(d + 1) ? F(d - 1) + 1 : F(d + 1);
                Index i2 = i1 - d;
                while (i1 < lim1 && i2 < lim2 && a_[i1] == b_[i2]) ++i1, ++i2;
                F(d) = i1;
                if (odd && bmin <= d && d <= bmax && B(d) <= i1) {
                    x = i1;
                    y = i2;
                    return;
                }
            }
            // Backward, from the box's end.
            if (bmin > dmin) B(--bmin - 1) = PTRDIFF_MAX; else ++bmin;
            if (bmax < dmax) B(++bmax + 1) = PTRDIFF_MAX; else --bmax;
            for (Index d = bmax; d >= bmin; d -= 2) {
                Index i1 = B(d - 1) < B(d + 1) ? B(d - 1) : B(d + 1) - 1;
                Index i2 = i1 - d;
                while (i1 > off1 && i2 > off2 && a_[i1 - 1] == b_[i2 - 1]) --i1, --i2;
                B(d) = i1;
                if (!odd && fmin <= d && d <= fmax && i1 <= F(d)) {
                    x = i1;
                    y = i2;
                    return;
                }
            }
            if (cost < maxCost_) continue;
            // Past the bound: take whichever furthest-reaching path, forward or backward, got further.
            Index fbest = -1, fbest1 = off1;
            for (Index d = fmax; d >= fmin; d -= 2) {
                Index i1 = std::min(F(d), lim1);
                Index i2 = i1 - d;
                if (lim2 < i2) i1 = lim2 + d, i2 = lim2;
                if (fbest < i1 + i2) fbest = i1 + i2, fbest1 = i1;
            }
            Index bbest = PTRDIFF_MAX, bbest1 = lim1;
            for (Index d = bmax; d >= bmin; d -= 2) {
                Index i1 = std::max(off1, B(d));
                Index i2 = i1 - d;
                if (i2 < off2) i1 = off2 + d, i2 = off2;
                if (i1 + i2 < bbest) bbest = i1 + i2, bbest1 = i1;
            }
            if ((lim1 + lim2) - bbest < fbest - (off1 + off2)) {
                x = fbest1;
                y = fbest - fbest1;
            } else {
                x = bbest1;
                y = bbest - bbest1;
            }
            return;
        }
    }

    const std::vector<std::uint32_t>& a_;
    const std::vector<std::uint32_t>& b_;
    std::vector<bool>& removed_;
    std::vector<bool>& added_;
    std::vector<Index> forward_, backward_;
    Index origin_ = 0;
    Index maxCost_ = 256;
};

}  // namespace

DiffMarks DiffSequences(const std::vector<std::uint32_t>& oldSide, const std::vector<std::uint32_t>& newSide) {
    DiffMarks marks;
    marks.removed.assign(oldSide.size(), false);
    marks.added.assign(newSide.size(), false);

    // Elements present on one side only are changes whatever the rest: set them aside, diff the others.
    // Numbers from NumberElements are dense; any others (characters) are made so first.
    std::uint32_t top = 0;
    for (std::uint32_t v : oldSide) top = std::max(top, v);
    for (std::uint32_t v : newSide) top = std::max(top, v);
    if (top > 2 * (oldSide.size() + newSide.size()) + 1024) {
        std::vector<std::uint32_t> oldDense, newDense;
        NumberElements(oldSide, newSide, oldDense, newDense);
        return DiffSequences(oldDense, newDense);
    }
    std::vector<unsigned char> seen(static_cast<std::size_t>(top) + 1, 0);  // bit 1: old side, bit 2: new
    for (std::uint32_t v : oldSide) seen[v] |= 1;
    for (std::uint32_t v : newSide) seen[v] |= 2;

    std::vector<std::uint32_t> a, b;
    std::vector<std::size_t> aIndex, bIndex;  // position in the reduced sequence -> original position
    for (std::size_t i = 0; i < oldSide.size(); ++i) {
        if (seen[oldSide[i]] == 3) {
            a.push_back(oldSide[i]);
            aIndex.push_back(i);
        } else {
            marks.removed[i] = true;
        }
    }
    for (std::size_t j = 0; j < newSide.size(); ++j) {
        if (seen[newSide[j]] == 3) {
            b.push_back(newSide[j]);
            bIndex.push_back(j);
        } else {
            marks.added[j] = true;
        }
    }
    std::vector<bool> removed(a.size(), false), added(b.size(), false);
    MyersSearch(a, b, removed, added).Run();
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (removed[i]) marks.removed[aIndex[i]] = true;
    }
    for (std::size_t j = 0; j < b.size(); ++j) {
        if (added[j]) marks.added[bIndex[j]] = true;
    }
    return marks;
}

namespace {

// Joins changed positions into spans, absorbing common runs shorter than `gap`.
std::vector<Span> SpansOf(const std::vector<bool>& changed, std::size_t gap) {
    std::vector<Span> spans;
    for (std::size_t i = 0; i < changed.size();) {
        if (!changed[i]) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < changed.size() && changed[end]) ++end;
        if (!spans.empty() && i - spans.back().end < gap) {
            spans.back().end = end;
        } else {
            spans.push_back({i, end});
        }
        i = end;
    }
    return spans;
}

bool IsWordChar(std::uint32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

// Widens each span that cuts into a word to the whole word, then joins spans that meet.
std::vector<Span> ToWords(const std::vector<std::uint32_t>& text, std::vector<Span> spans) {
    std::vector<Span> words;
    for (Span s : spans) {
        while (s.begin > 0 && IsWordChar(text[s.begin - 1]) && IsWordChar(text[s.begin])) --s.begin;
        while (s.end < text.size() && IsWordChar(text[s.end]) && IsWordChar(text[s.end - 1])) ++s.end;
        if (!words.empty() && s.begin <= words.back().end) {
            words.back().end = std::max(words.back().end, s.end);
        } else {
            words.push_back(s);
        }
    }
    return words;
}

}  // namespace

InlineMarks InlineChangesOf(const std::vector<std::uint32_t>& left, const std::vector<std::uint32_t>& right) {
    InlineMarks marks;
    std::size_t prefix = 0;
    while (prefix < left.size() && prefix < right.size() && left[prefix] == right[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < left.size() - prefix && suffix < right.size() - prefix &&
           left[left.size() - 1 - suffix] == right[right.size() - 1 - suffix]) {
        ++suffix;
    }
    const Span wholeLeft{prefix, left.size() - suffix}, wholeRight{prefix, right.size() - suffix};
    auto whole = [&] {
        if (wholeLeft.begin < wholeLeft.end) marks.left = ToWords(left, {wholeLeft});
        if (wholeRight.begin < wholeRight.end) marks.right = ToWords(right, {wholeRight});
        return marks;
    };
    const std::size_t middleLeft = wholeLeft.end - wholeLeft.begin, middleRight = wholeRight.end - wholeRight.begin;
    constexpr std::size_t kLongest = 2000;  // per side; beyond it one span is clearer and cheaper
    if (middleLeft == 0 || middleRight == 0 || middleLeft > kLongest || middleRight > kLongest) return whole();

    const std::vector<std::uint32_t> l(left.begin() + prefix, left.end() - suffix);
    const std::vector<std::uint32_t> r(right.begin() + prefix, right.end() - suffix);
    const DiffMarks d = DiffSequences(l, r);
    std::size_t common = 0;
    for (bool removed : d.removed) common += removed ? 0 : 1;
    // Little in common: scattered single-letter matches only confuse.
    if (common * 3 < std::min(middleLeft, middleRight)) return whole();

    constexpr std::size_t kGap = 3;
    std::vector<Span> l2, r2;
    for (Span s : SpansOf(d.removed, kGap)) l2.push_back({s.begin + prefix, s.end + prefix});
    for (Span s : SpansOf(d.added, kGap)) r2.push_back({s.begin + prefix, s.end + prefix});
    marks.left = ToWords(left, std::move(l2));
    marks.right = ToWords(right, std::move(r2));
    return marks;
}

}  // namespace diffview
