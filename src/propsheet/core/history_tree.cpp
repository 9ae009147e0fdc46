#include "propsheet/core/history_tree.h"

#include "common/core/replace_all.h"

#include <unordered_map>

std::string WorkingRevision(const std::string& entryRevision) {
    if (!entryRevision.empty() && entryRevision[0] == '-') return entryRevision.substr(1);
    return entryRevision;
}

int RevisionImage(const std::string& revision, const std::string& workingRevision) {
    return revision == workingRevision ? kImageWorkingRevision : kImageRevision;
}

namespace {

// A branch tag's magic number (1.2.0.4) becomes the branch number (1.2.4).
std::string WithoutMagicZero(const std::string& revision) { return ferrow::ReplaceAll(revision, ".0.", "."); }

}  // namespace

namespace {

// The "  <name>" parts of every number's label, gathered in one pass over the tags in table order.
std::unordered_map<std::string, std::string> TagSuffixes(const CTagTable& tags) {
    std::unordered_map<std::string, std::string> suffixes;
    tags.ForEach([&](const std::string& name, const std::string& revision) {
        std::string& suffix = suffixes[WithoutMagicZero(revision)];
        suffix += "  ";
        suffix += name;
    });
    return suffixes;
}

}  // namespace

std::string NodeLabel(const std::string& number, const CTagTable& tags) {
    const auto suffixes = TagSuffixes(tags);
    const auto it = suffixes.find(number);
    return it == suffixes.end() ? number : number + it->second;
}

CHistoryTree BuildHistoryTree(const CCVSLog& log, const std::string& workingRevision) {
    CHistoryTree tree;
    std::unordered_map<std::string, int> byNumber;
    const std::unordered_map<std::string, std::string> suffixes = TagSuffixes(log.Tags);

    auto add = [&](const std::string& number, int parent, int image, int selectedImage, long long param) {
        const auto suffix = suffixes.find(number);
        tree.Nodes.push_back({number, suffix == suffixes.end() ? number : number + suffix->second, parent, image,
                              selectedImage, param});
        const int index = static_cast<int>(tree.Nodes.size() - 1);
        byNumber[number] = index;  // a number seen again (several files in one output) maps to its last node
        return index;
    };
    auto lookup = [&](const std::string& number) {
        auto it = byNumber.find(number);
        return it == byNumber.end() ? -1 : it->second;
    };

    add("1", -1, kImageBranch, kImageBranchOpen, -1);

    for (size_t i = 0; i < log.Revisions.size(); ++i) {
        const std::string& r = log.Revisions[i].Revision;
        const int image = RevisionImage(r, workingRevision);
        const size_t dot = r.rfind('.');
        int parent = -1;
        if (dot != std::string::npos) {
            const std::string b = r.substr(0, dot);
            parent = lookup(b);
            if (parent < 0) {
                const size_t bdot = b.rfind('.');
                const int branchPoint = bdot == std::string::npos ? -1 : lookup(b.substr(0, bdot));
                parent = add(b, branchPoint, kImageBranch, kImageBranchOpen, -1);
            }
        }
        // A revision without any "." has no branch: it stands at the top level.
        add(r, parent, image, image, static_cast<long long>(i));
    }

    if (!workingRevision.empty()) tree.WorkingNode = lookup(workingRevision);
    return tree;
}

std::vector<int> ShownChildren(const CHistoryTree& tree, int parent) {
    std::vector<int> children;
    for (int i = static_cast<int>(tree.Nodes.size()) - 1; i >= 0; --i) {
        if (tree.Nodes[i].Parent == parent) children.push_back(i);
    }
    return children;
}

HistoryButtons ButtonsForSelection(int selectedRevisions) {
    const bool one = selectedRevisions == 1;
    const bool some = selectedRevisions == 1 || selectedRevisions == 2;
    return {one, one, some, some};
}
