#pragma once

#include <cstddef>
#include <list>

namespace ltl {

// A nested-set tree kept as a doubly linked list: each entry carries Left and
// Right numbers, and an entry's subtree is every entry whose numbers lie
// between its own. List order is Left order after Sort(); Insert appends.
template <class T> class TreeLR {
public:
    enum INSERT_TYPE { INSERT_LAST = 0, INSERT_FIRST = 1 };

    struct Node {
        int Left = 0;
        int Right = 0;
        T Data{};
    };
    using List = std::list<Node>;
    using iterator = typename List::iterator;
    using const_iterator = typename List::const_iterator;

    iterator begin() { return m_list.begin(); }
    iterator end() { return m_list.end(); }
    const_iterator begin() const { return m_list.begin(); }
    const_iterator end() const { return m_list.end(); }
    std::size_t size() const { return m_list.size(); }
    bool empty() const { return m_list.empty(); }
    void clear() { m_list.clear(); }

    Node& Append(int left, int right, const T& data) {
        m_list.push_back(Node{left, right, data});
        return m_list.back();
    }

    // Stable sort by Left, so entries sharing a Left keep their relative order.
    void Sort() {
        m_list.sort([](const Node& a, const Node& b) { return a.Left < b.Left; });
    }

    // Checks the numbering of a sorted list: positive numbers, and no entry
    // sharing its Left or its Right with the entry before it.
    bool CheckNumbering() const {
        const Node* previous = nullptr;
        for (const Node& node : m_list) {
            if (node.Left < 1 || node.Right < 1) {
                return false;
            }
            if (previous != nullptr && (node.Left == previous->Left || node.Right == previous->Right)) {
                return false;
            }
            previous = &node;
        }
        return true;
    }

    // Inserts a leaf. With an anchor the leaf becomes its first child (type
    // other than INSERT_LAST) or its last child; without one it becomes the
    // first or last top-level entry. Returns null when nothing was inserted.
    T* Insert(const Node* anchor, const T& data, int type) {
        int newLeft;
        if (anchor != nullptr) {
            newLeft = type != INSERT_LAST ? anchor->Left + 1 : anchor->Right;
        } else if (type == INSERT_LAST) {
            newLeft = 2 * static_cast<int>(m_list.size()) + 1;
        } else if (type == INSERT_FIRST) {
            newLeft = 1;
        } else {
            return nullptr;
        }
        for (Node& node : m_list) {
            if (node.Left >= newLeft) {
                node.Left += 2;
            }
            if (node.Right >= newLeft) {
                node.Right += 2;
            }
        }
        return &Append(newLeft, newLeft + 1, data).Data;
    }

    // Removes an entry with its whole subtree and closes the gap it leaves.
    void Erase(const Node& target) {
        const int a = target.Left;
        const int b = target.Right;
        const int width = 2 * ((b - a + 1) / 2);
        for (auto it = m_list.begin(); it != m_list.end();) {
            if (a <= it->Left && it->Right <= b) {
                it = m_list.erase(it);
                continue;
            }
            if (it->Left > a) {
                it->Left -= width;
            }
            if (it->Right > a) {
                it->Right -= width;
            }
            ++it;
        }
    }

    template <class Pred> Node* FindIf(Pred pred) {
        for (Node& node : m_list) {
            if (pred(node.Data)) {
                return &node;
            }
        }
        return nullptr;
    }

private:
    List m_list;
};

} // namespace ltl
