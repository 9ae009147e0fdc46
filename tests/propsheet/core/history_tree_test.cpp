#include "propsheet/core/history_tree.h"

#include "model/core/log_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CCVSLog LogOf(std::initializer_list<const char*> revisions) {
    CCVSLog log;
    for (const char* r : revisions) {
        CCVSRevision rev;
        rev.Revision = r;
        log.Revisions.push_back(rev);
    }
    return log;
}

// The tree as text: each node's label, its children in shown order in brackets.
std::string Shape(const CHistoryTree& tree, int parent = -1) {
    std::string out;
    for (int child : ShownChildren(tree, parent)) {
        if (!out.empty()) out += ' ';
        out += tree.Nodes[child].Label;
        const std::string below = Shape(tree, child);
        if (!below.empty()) out += "[" + below + "]";
    }
    return out;
}

struct TreeCase {
    const char* name;
    CCVSLog log;
    const char* working;
    std::string shape;
};

TEST(HistoryTree, Shapes) {
    CCVSLog tagged = LogOf({"1.3", "1.2", "1.2.2.1", "1.1"});
    tagged.Tags.Set("branch_x", "1.2.0.2");
    CCVSLog vendor = LogOf({"1.2", "1.1", "1.1.1.1"});
    vendor.Tags.Set("start", "1.1.1.1");
    vendor.Tags.Set("vendor", "1.1.1");
    const TreeCase cases[] = {
        {"trunk only: older to newer under the root", LogOf({"1.3", "1.2", "1.1"}), "", "1[1.1 1.2 1.3]"},
        {"branch node is the first child of its branch point", std::move(tagged), "",
         "1[1.1 1.2[1.2.2  branch_x[1.2.2.1]] 1.3]"},
        {"branch before its branch point in the log stands at the top level",
         LogOf({"1.3", "1.2.2.1", "1.2", "1.1"}), "", "1.2.2[1.2.2.1] 1[1.1 1.2 1.3]"},
        {"branch point missing", LogOf({"1.4", "1.3.6.2", "1.3.6.1"}), "", "1.3.6[1.3.6.1 1.3.6.2] 1[1.4]"},
        {"no revisions: only the root", CCVSLog{}, "", "1"},
        {"vendor branch after its branch point", std::move(vendor), "",
         "1[1.1[1.1.1  vendor[1.1.1.1  start]] 1.2]"},
        {"second trunk", LogOf({"2.1", "1.1"}), "", "2[2.1] 1[1.1]"},
        {"revision without a dot stands at the top level", LogOf({"7", "1.1"}), "", "7 1[1.1]"},
    };
    for (const TreeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CHistoryTree tree = BuildHistoryTree(c.log, c.working);
        EXPECT_EQ(c.shape, Shape(tree));
        ASSERT_FALSE(tree.Nodes.empty());
        EXPECT_EQ("1", tree.Nodes[0].Number);
        EXPECT_EQ(-1, tree.Nodes[0].Param);
    }
}

TEST(HistoryTree, RealBranchLog) {
    CCVSLog log;
    ASSERT_TRUE(ParseLogText(ReadLogFixture("branch.log"), log));
    const CHistoryTree tree = BuildHistoryTree(log, "1.2.2.2");
    EXPECT_EQ("1[1.1  REL_0 1.2  BP_x[1.2.2  branch_x[1.2.2.1 1.2.2.2]] 1.3  REL_1]", Shape(tree));
    ASSERT_GE(tree.WorkingNode, 0);
    const CHistoryNode& working = tree.Nodes[tree.WorkingNode];
    EXPECT_EQ("1.2.2.2", working.Number);
    EXPECT_EQ(3, working.Param);  // its row in the list
    EXPECT_EQ(kImageWorkingRevision, working.Image);
    EXPECT_EQ(kImageWorkingRevision, working.SelectedImage);
    for (const CHistoryNode& node : tree.Nodes) {
        if (node.Param < 0) {
            EXPECT_EQ(kImageBranch, node.Image) << node.Label;
            EXPECT_EQ(kImageBranchOpen, node.SelectedImage) << node.Label;
        } else {
            EXPECT_EQ(node.Number, log.Revisions[node.Param].Revision);
            if (&node != &working) {
                EXPECT_EQ(kImageRevision, node.Image) << node.Label;
            }
        }
    }
}

TEST(HistoryTree, WorkingRevision) {
    const CCVSLog log = LogOf({"1.2", "1.1"});
    EXPECT_EQ(-1, BuildHistoryTree(log, "").WorkingNode);     // no entry
    EXPECT_EQ(-1, BuildHistoryTree(log, "0").WorkingNode);    // scheduled for addition
    EXPECT_EQ(-1, BuildHistoryTree(log, "1.9").WorkingNode);  // not in the log
    const CHistoryTree tree = BuildHistoryTree(log, WorkingRevision("-1.1"));
    ASSERT_GE(tree.WorkingNode, 0);
    EXPECT_EQ("1.1", tree.Nodes[tree.WorkingNode].Number);

    EXPECT_EQ("1.7", WorkingRevision("-1.7"));
    EXPECT_EQ("1.7", WorkingRevision("1.7"));
    EXPECT_EQ("", WorkingRevision(""));
    EXPECT_EQ(kImageWorkingRevision, RevisionImage("1.1", "1.1"));
    EXPECT_EQ(kImageRevision, RevisionImage("1.1", "1.10"));
    EXPECT_EQ(kImageRevision, RevisionImage("1.1", ""));
}

TEST(HistoryTree, NodeLabelsFollowTheTableOrder) {
    CCVSLog log;
    ASSERT_TRUE(ParseLogText(ReadLogFixture("many-tags.log"), log));
    std::string expected = "1.1";
    log.Tags.ForEach([&](const std::string& name, const std::string&) { expected += "  " + name; });
    EXPECT_EQ(0u, expected.find("1.1  T20  T21  T22"));  // the grown table's order, not the client's
    EXPECT_EQ(expected, NodeLabel("1.1", log.Tags));

    CTagTable tags;
    tags.Set("magic", "1.10.0.12");
    tags.Set("plain", "1.0.2");
    EXPECT_EQ("1.10.12  magic", NodeLabel("1.10.12", tags));
    EXPECT_EQ("1.10.0.12", NodeLabel("1.10.0.12", tags));
    EXPECT_EQ("1.2  plain", NodeLabel("1.2", tags));
}

TEST(HistoryTree, Buttons) {
    struct Case {
        int n;
        bool view, save, compare, merge;
    } const cases[] = {{0, false, false, false, false}, {1, true, true, true, true}, {2, false, false, true, true}};
    for (const Case& c : cases) {
        const HistoryButtons b = ButtonsForSelection(c.n);
        EXPECT_EQ(c.view, b.View) << c.n;
        EXPECT_EQ(c.save, b.SaveAs) << c.n;
        EXPECT_EQ(c.compare, b.Compare) << c.n;
        EXPECT_EQ(c.merge, b.Merge) << c.n;
    }
}

}  // namespace
