#pragma once

// The tree view kind: items addressed by their position in a depth-first pre-order walk of the
// whole tree (collapsed branches counted), -1 for no item. Each item carries a text (code page
// 936 bytes), an image, a selected image (shown while it is selected), a value and a bold flag.

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/picture.h"

namespace lxtv::toolkit {

// What moved the selection, as the selection-changed event reports it.
enum class SelectionCause {
    mouse = 0,
    keyboard = 1,
    other = 2,
};

// The operations on a tree by item index, as the catalogue code uses them. The widget below
// implements them on the window thread; an in-memory tree implements them for tests and as a
// mirror the catalogue builder keeps on its worker thread.
class TreeOperations {
  public:
    virtual ~TreeOperations() = default;

    virtual void clearItems() = 0;
    // Appends a new item as the last child of the item at parentIndex; a negative index or one
    // that names no item makes it the last top-level item. A negative image becomes 0; a
    // negative selected image becomes the image. Returns the new item's index.
    virtual int addItem(int parentIndex, const std::string& text, int image, int selectedImage,
                        int value, bool bold) = 0;
    virtual int itemCount() const = 0;
    virtual int itemValue(int index) const = 0;         // 0 for no item
    virtual void expandItem(int index) = 0;             // nothing for no item
    virtual int parentIndex(int index) const = 0;       // -1 for a top-level item or no item
    virtual std::string itemText(int index) const = 0;  // empty for no item
    virtual int selectedImageOf(int index) const = 0;   // -1 for no item
    virtual int selectedIndex() const = 0;              // -1 when nothing is selected
};

namespace detail {
class TreeModel;
class TreeWidgetView;
}  // namespace detail

class TreeView : public QWidget, public TreeOperations {
    Q_OBJECT

  public:
    explicit TreeView(QWidget* parent);
    ~TreeView() override;

    void setColors(QColor text, QColor background);
    void setItemHeight(int pixels);
    // 18x18 pictures; an item whose image index is outside the list shows none.
    void setImageList(const QList<Picture>& images);

    void clearItems() override;
    int addItem(int parentIndex, const std::string& text, int image, int selectedImage, int value,
                bool bold) override;
    int itemCount() const override;
    int itemValue(int index) const override;
    void expandItem(int index) override;
    int parentIndex(int index) const override;
    std::string itemText(int index) const override;
    int selectedImageOf(int index) const override;
    int selectedIndex() const override;

    // addItem from bytes held elsewhere (the catalogue builder's batches), without a string.
    int addItemBytes(int parentIndex, std::string_view text, int image, int selectedImage,
                     int value, bool bold);
    // addItem for callers that converted the text for display already. The view converts the
    // rows it draws from the bytes itself, so `shown` (the same text) is not kept.
    int addItem(int parentIndex, const std::string& text, const QString& shown, int image,
                int selectedImage, int value, bool bold);

    // Between beginBulk and endBulk new items are indexed at once but reach the view together
    // at endBulk, which is far cheaper for many items. No events may be processed in between.
    void beginBulk();
    void endBulk();

    // Selects the item (none for -1), raising selectionChanged (other) when it changes.
    void setSelectedIndex(int index);

    int imageOf(int index) const;  // -1 for no item
    bool isItemBold(int index) const;
    bool isItemExpanded(int index) const;
    // The item's icon and label in this widget's coordinates; empty when it is not shown.
    QRect itemRect(int index) const;
    QWidget* viewport() const;

  signals:
    // Raised after the selected item has changed.
    void selectionChanged(lxtv::toolkit::SelectionCause cause);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    friend class detail::TreeWidgetView;
    std::unique_ptr<detail::TreeModel> model_;
    detail::TreeWidgetView* view_ = nullptr;
    int itemHeight_ = 22;
    SelectionCause cause_ = SelectionCause::other;
    int bulkDepth_ = 0;
};

}  // namespace lxtv::toolkit
