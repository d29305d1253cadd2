#include "ltl/TreeLR.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Tree = ltl::TreeLR<std::string>;

std::vector<std::string> Numbering(Tree& tree) {
    tree.Sort();
    std::vector<std::string> out;
    for (const auto& node : tree) {
        out.push_back(node.Data + "(" + std::to_string(node.Left) + "," + std::to_string(node.Right) + ")");
    }
    return out;
}

const Tree::Node* Named(Tree& tree, const std::string& name) {
    return tree.FindIf([&](const std::string& data) { return data == name; });
}

TEST(TreeLRTest, InsertsChildrenAndTopLevelEntries) {
    Tree tree;
    tree.Insert(nullptr, "A", Tree::INSERT_LAST);
    tree.Insert(Named(tree, "A"), "B", Tree::INSERT_LAST);
    EXPECT_EQ(Numbering(tree), (std::vector<std::string>{"A(1,4)", "B(2,3)"}));

    tree.Insert(Named(tree, "A"), "First", Tree::INSERT_FIRST);
    tree.Insert(Named(tree, "A"), "Last", Tree::INSERT_LAST);
    EXPECT_EQ(Numbering(tree), (std::vector<std::string>{"A(1,8)", "First(2,3)", "B(4,5)", "Last(6,7)"}));
    EXPECT_TRUE(tree.CheckNumbering());

    Tree single;
    single.Insert(nullptr, "old", Tree::INSERT_LAST);
    single.Insert(nullptr, "new", Tree::INSERT_FIRST);
    EXPECT_EQ(Numbering(single), (std::vector<std::string>{"new(1,2)", "old(3,4)"}));
    EXPECT_EQ(single.Insert(nullptr, "x", 7), nullptr) << "an unknown type without an anchor inserts nothing";
    EXPECT_EQ(single.size(), 2u);
}

TEST(TreeLRTest, ErasesWholeSubtreesAndClosesTheGap) {
    Tree folder;
    folder.Append(1, 6, "F");
    folder.Append(2, 3, "a");
    folder.Append(4, 5, "b");
    folder.Erase(*Named(folder, "F"));
    EXPECT_TRUE(folder.empty());

    Tree leaves;
    leaves.Append(1, 2, "x");
    leaves.Append(3, 4, "y");
    leaves.Append(5, 6, "z");
    leaves.Erase(*Named(leaves, "y"));
    EXPECT_EQ(Numbering(leaves), (std::vector<std::string>{"x(1,2)", "z(3,4)"}));
}

TEST(TreeLRTest, NumberingCheckFindsDuplicatesAndNonPositiveNumbers) {
    Tree dup;
    dup.Append(3, 4, "b");
    dup.Append(1, 2, "a");
    dup.Append(3, 6, "c");
    dup.Sort();
    EXPECT_FALSE(dup.CheckNumbering());
    EXPECT_EQ(dup.begin()->Data, "a");

    Tree zero;
    zero.Append(0, 1, "z");
    EXPECT_FALSE(zero.CheckNumbering());
    EXPECT_TRUE(Tree().CheckNumbering());
}

} // namespace
