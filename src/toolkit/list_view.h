#pragma once

// The list view kind, shown as large icons (32 by 32 pictures with the text below) in the order
// the items were inserted, one item selectable at a time. Item texts are file names: the file
// system's bytes, kept exactly and shown decoded as UTF-8. The image list is set from an
// ImageListBlob; a blob that does not read leaves the view with no image list.

#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <string>
#include <vector>

class QListWidget;

namespace lxtv::toolkit {

class ListView : public QWidget {
    Q_OBJECT

  public:
    explicit ListView(QWidget* parent);
    ~ListView() override;

    void setColors(QColor text, QColor textBackground, QColor background);

    // Sets the normal image list from a blob; false (and no image list) when it does not read.
    bool setImageList(const std::string& blob);
    bool hasImageList() const { return imageCount_ >= 0; }
    int imageCount() const { return imageCount_ < 0 ? 0 : imageCount_; }

    int itemCount() const;
    // Appends an item at the end with a text and an image slot.
    void insertItem(const std::string& text, int imageSlot);
    void deleteAllItems();
    // The text of an item; empty for no item.
    std::string itemText(int index) const;
    // The image slot of an item; 0 when there is no such item.
    int itemImage(int index) const;
    // The 0-based index of the first selected item; -1 when none.
    int firstSelectedItem() const;
    // Selects the item alone (none for -1).
    void setSelectedItem(int index);

    // The widget that receives the pointer (for tests that click or double-click), and where an
    // item lies in it.
    QWidget* viewport() const;
    QRect itemRect(int index) const;

  signals:
    // A double click with the left button anywhere in the view, on an item or not.
    void doubleClicked();

  private:
    void refreshIcons();

    QListWidget* list_ = nullptr;
    QColor textBackground_ = Qt::white;
    std::vector<QPixmap> images_;
    int imageCount_ = -1;  // -1: no image list
};

}  // namespace lxtv::toolkit
