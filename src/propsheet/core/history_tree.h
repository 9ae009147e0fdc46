// The History page's data, independent of the controls: the revision tree of a log (which node is the
// child of which, labels, images), the list rows' images, and the button rules. Platform-free.
#pragma once

#include "model/core/cvs_log.h"

#include <cstddef>
#include <string>
#include <vector>

// Image indices of the History page's image list.
enum HistoryImage : int {
    kImageBranch = 0,          // branch node, not selected
    kImageBranchOpen = 1,      // branch node, selected
    kImageRevision = 2,        // a revision
    kImageWorkingRevision = 3  // the revision the working copy holds
};

struct CHistoryNode {
    std::string Number;  // the revision or branch number the node stands for ("1" for the root)
    std::string Label;   // the number, then "  <name>" for each tag on it
    int Parent;          // index of the parent node in CHistoryTree::Nodes, or -1 for the top level
    int Image;
    int SelectedImage;
    long long Param;     // the list row of a revision node; -1 for the root and branch nodes
};

// The nodes in insertion order. Every node is inserted as the first child of its parent (or first at the
// top level), so a parent's children are shown in the reverse of their insertion order.
struct CHistoryTree {
    std::vector<CHistoryNode> Nodes;
    int WorkingNode = -1;  // the node of the working revision, selected once to bring it into view
};

// The working revision as the page uses it: the entry's revision without a leading "-".
std::string WorkingRevision(const std::string& entryRevision);

// The list row's image for a revision.
int RevisionImage(const std::string& revision, const std::string& workingRevision);

// The label of a revision or branch number: the number and, for each tag of the log whose revision equals
// the number once every ".0." in it is replaced by ".", two spaces and the tag's name, in the tag table's
// enumeration order.
std::string NodeLabel(const std::string& number, const CTagTable& tags);

// The tree for a parsed log: the root "1", then for each revision its branch node (created on first use,
// under the node of its branch point, or at the top level when that has none) and its revision node.
CHistoryTree BuildHistoryTree(const CCVSLog& log, const std::string& workingRevision);

// The indices of a node's children (parent -1: the top level) in the order the tree shows them.
std::vector<int> ShownChildren(const CHistoryTree& tree, int parent);

// Which buttons the count of selected revisions (0, 1 or 2) enables.
struct HistoryButtons {
    bool View;
    bool SaveAs;
    bool Compare;
    bool Merge;
};
HistoryButtons ButtonsForSelection(int selectedRevisions);
