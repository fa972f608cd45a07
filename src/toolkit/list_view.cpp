#include "toolkit/list_view.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <functional>

#include "platform/image_list.h"

namespace lxtv::toolkit {
namespace {

constexpr int kTextRole = Qt::UserRole;       // the item's text as bytes
constexpr int kImageRole = Qt::UserRole + 1;  // the item's image slot

// Reports every left double click, also on empty space: the owner decides from the selection.
class IconList : public QListWidget {
  public:
    explicit IconList(QWidget* parent) : QListWidget(parent) {}
    std::function<void()> onDoubleClick;

  protected:
    // A click on blank space leaves no item selected, as the platform's list does; the view's
    // own handling keeps the old selection, and a double click there would then act on it.
    void mousePressEvent(QMouseEvent* event) override {
        if (!indexAt(event->position().toPoint()).isValid()) {
            clearSelection();
            setCurrentIndex(QModelIndex());
        }
        QListWidget::mousePressEvent(event);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QListWidget::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton && onDoubleClick) onDoubleClick();
    }
};

}  // namespace

ListView::ListView(QWidget* parent) : QWidget(parent) {
    auto* list = new IconList(this);
    list->onDoubleClick = [this] { emit doubleClicked(); };
    list_ = list;
    list_->setViewMode(QListView::IconMode);
    list_->setIconSize(QSize(32, 32));
    list_->setMovement(QListView::Static);
    list_->setResizeMode(QListView::Adjust);
    list_->setFlow(QListView::LeftToRight);
    list_->setWrapping(true);
    list_->setWordWrap(true);
    list_->setGridSize(QSize(75, 70));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSortingEnabled(false);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    setFocusProxy(list_);
}

ListView::~ListView() = default;

void ListView::setColors(QColor text, QColor textBackground, QColor background) {
    QPalette p = list_->palette();
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Window, background);
    list_->setPalette(p);
    textBackground_ = textBackground;
    for (int i = 0; i < list_->count(); ++i) list_->item(i)->setBackground(textBackground_);
}

bool ListView::setImageList(const std::string& blob) {
    images_.clear();
    imageCount_ = -1;
    const auto images = platform::readImageListBlob(blob);
    if (images) {
        imageCount_ = images->count();
        for (int i = 0; i < images->count(); ++i)
            images_.push_back(QPixmap::fromImage(images->image(i)));
    }
    refreshIcons();
    return images.has_value();
}

void ListView::refreshIcons() {
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        const int slot = item->data(kImageRole).toInt();
        // A slot outside the image list shows no picture.
        item->setIcon(slot >= 0 && slot < static_cast<int>(images_.size())
                          ? QIcon(images_[static_cast<std::size_t>(slot)])
                          : QIcon());
    }
}

int ListView::itemCount() const {
    return list_->count();
}

void ListView::insertItem(const std::string& text, int imageSlot) {
    auto* item =
        new QListWidgetItem(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    item->setData(kTextRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    item->setData(kImageRole, imageSlot);
    item->setBackground(textBackground_);
    item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    if (imageSlot >= 0 && imageSlot < static_cast<int>(images_.size()))
        item->setIcon(QIcon(images_[static_cast<std::size_t>(imageSlot)]));
    list_->addItem(item);
}

void ListView::deleteAllItems() {
    list_->clear();
}

std::string ListView::itemText(int index) const {
    const QListWidgetItem* item = list_->item(index);
    if (item == nullptr) return {};
    const QByteArray bytes = item->data(kTextRole).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int ListView::itemImage(int index) const {
    const QListWidgetItem* item = list_->item(index);
    return item == nullptr ? 0 : item->data(kImageRole).toInt();
}

int ListView::firstSelectedItem() const {
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->isSelected()) return i;
    return -1;
}

void ListView::setSelectedItem(int index) {
    list_->clearSelection();
    if (QListWidgetItem* item = list_->item(index)) {
        item->setSelected(true);
        list_->setCurrentItem(item);
    }
}

QWidget* ListView::viewport() const {
    return list_->viewport();
}

QRect ListView::itemRect(int index) const {
    const QListWidgetItem* item = list_->item(index);
    return item == nullptr ? QRect() : list_->visualItemRect(item);
}

}  // namespace lxtv::toolkit
