#pragma once
// The picture grid of a head-picture chooser: each entry is a picture file;
// the chosen one's name is handed to the chooser dialog that owns the grid.

#include <QListWidget>
#include <string>

class CDlgSelHead;

class CGlazeSelHead : public QListWidget {
public:
    explicit CGlazeSelHead(QWidget* parent = nullptr);
    ~CGlazeSelHead() override;

    void SetFather(CDlgSelHead* father) { m_pFather = father; }
    CDlgSelHead* GetFather() const { return m_pFather; }
    // Offers the picture `path` (its file name is the head's name); false when unreadable.
    bool AddHead(const char* path);
    // The chosen picture's name, empty while none is chosen.
    std::string GetSelectedHead() const;

private:
    CDlgSelHead* m_pFather = nullptr;
};
