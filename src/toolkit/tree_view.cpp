#include "toolkit/tree_view.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QFont>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ansi.h"

namespace lxtv::toolkit::detail {

// The items as flat arrays: one 32-byte record per item in the order they were added (an item's
// id), the pre-order walk as a list of ids, each parent's children as a list of ids, and every
// text in one byte pool, in the same order (so an item's text ends where the next one's
// begins). A 200,000-item tree costs some ten megabytes here, and appending an item costs a few
// pushes. The texts are turned into Qt strings only when the view asks for them, for the few
// rows it draws.
//
// The view sees an item only once it has been published (see publish), so that many appends
// reach it as one insertion per parent.
class TreeModel : public QAbstractItemModel {
  public:
    static constexpr std::int32_t kNone = -1;

    explicit TreeModel(QObject* parent) : QAbstractItemModel(parent) { childLists_.emplace_back(); }

    // The children of one parent, in order, and how many of them the view has been told about.
    struct Children {
        std::vector<std::int32_t> ids;  // ascending, as children are only appended
        int shown = 0;
    };

    // The id of the item at a pre-order index, or kNone.
    std::int32_t at(int index) const {
        if (index < 0 || index >= count()) return kNone;
        return order_[static_cast<std::size_t>(index)];
    }
    int count() const { return static_cast<int>(order_.size()); }

    int indexOfItem(std::int32_t id) const { return item(id).index; }
    int parentIndexOf(std::int32_t id) const {
        const std::int32_t parent = item(id).parent;
        return parent == kNone ? -1 : item(parent).index;
    }
    std::string_view textOf(std::int32_t id) const {
        const std::size_t start = item(id).textStart;
        const std::size_t end = static_cast<std::size_t>(id) + 1 < items_.size()
                                    ? item(id + 1).textStart
                                    : texts_.size();
        return std::string_view(texts_).substr(start, end - start);
    }
    QString labelOf(std::int32_t id) const { return platform::toQString(textOf(id)); }
    int imageOf(std::int32_t id) const { return item(id).image; }
    int selectedImageOf(std::int32_t id) const { return item(id).selectedImage; }
    int valueOf(std::int32_t id) const { return item(id).value; }
    bool isBold(std::int32_t id) const { return item(id).bold; }
    bool isShown(std::int32_t id) const { return item(id).shown; }
    bool isPendingExpand(std::int32_t id) const { return item(id).expandPending; }

    QModelIndex indexOf(std::int32_t id) const {
        if (id == kNone || !item(id).shown) return {};
        return createIndex(rowOf(id), 0, static_cast<quintptr>(id));
    }
    std::int32_t idOf(const QModelIndex& index) const {
        return index.isValid() ? static_cast<std::int32_t>(index.internalId()) : kNone;
    }

    void clear() {
        beginResetModel();
        items_.clear();
        items_.shrink_to_fit();
        order_.clear();
        order_.shrink_to_fit();
        childLists_.clear();
        childLists_.shrink_to_fit();
        childLists_.emplace_back();
        texts_.clear();
        texts_.shrink_to_fit();
        rootDirty_ = false;
        dirty_.clear();
        expand_.clear();
        endResetModel();
    }

    // Appends an item as the last child of the item at `parentIndex` (the last top-level item
    // when that names no item); returns its id.
    std::int32_t add(int parentIndex, std::string_view text, int image, int selectedImage,
                     int value, bool bold) {
        const std::int32_t parent = at(parentIndex);
        const std::size_t pos = parent == kNone ? order_.size() : subtreeEnd(parent);

        const auto id = static_cast<std::int32_t>(items_.size());
        Item& it = items_.emplace_back();
        it.parent = parent;
        it.index = static_cast<std::int32_t>(pos);
        it.textStart = static_cast<std::uint32_t>(texts_.size());
        texts_.append(text);
        it.image = image < 0 ? 0 : image;
        it.selectedImage = selectedImage < 0 ? it.image : selectedImage;
        it.value = value;
        it.bold = bold;

        Children& siblings = childrenOf(parent, true);
        siblings.ids.push_back(id);

        if (pos == order_.size()) {
            order_.push_back(id);
        } else {
            // An append into an earlier branch moves every later item down by one.
            order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(pos), id);
            for (std::size_t i = pos + 1; i < order_.size(); ++i)
                items_[static_cast<std::size_t>(order_[i])].index = static_cast<std::int32_t>(i);
        }

        if (parent == kNone) {
            rootDirty_ = true;
        } else if (item(parent).shown) {
            Item& p = item(parent);
            if (!p.dirty) {
                p.dirty = true;
                dirty_.push_back(parent);
            }
        } else {
            // Shown together with its unshown parent.
            siblings.shown = static_cast<int>(siblings.ids.size());
        }
        return id;
    }

    void requestExpand(std::int32_t id) {
        Item& it = item(id);
        if (!it.expandPending) {
            it.expandPending = true;
            expand_.push_back(id);
        }
    }

    // Tells the view about every item added since the last call, one insertion per parent.
    // Returns the items whose expansion waits for them to be shown.
    std::vector<std::int32_t> publish() {
        if (rootDirty_) {
            rootDirty_ = false;
            Children& top = childLists_[0];
            const int count = static_cast<int>(top.ids.size());
            if (count > top.shown) {
                beginInsertRows(QModelIndex(), top.shown, count - 1);
                for (int i = top.shown; i < count; ++i)
                    markShown(top.ids[static_cast<std::size_t>(i)]);
                top.shown = count;
                endInsertRows();
            }
        }
        for (const std::int32_t parent : dirty_) {
            item(parent).dirty = false;
            Children& children = childrenOf(parent, true);
            const int first = children.shown;
            const int last = static_cast<int>(children.ids.size()) - 1;
            if (last < first) continue;
            beginInsertRows(indexOf(parent), first, last);
            for (int i = first; i <= last; ++i)
                markShown(children.ids[static_cast<std::size_t>(i)]);
            children.shown = last + 1;
            endInsertRows();
        }
        dirty_.clear();
        std::vector<std::int32_t> expand;
        expand.swap(expand_);
        for (const std::int32_t id : expand) item(id).expandPending = false;
        return expand;
    }

    bool hasUnpublished() const { return rootDirty_ || !dirty_.empty() || !expand_.empty(); }

    void setIcons(const QList<Picture>& images) {
        images_ = images;
        icons_.clear();
        if (childLists_[0].shown > 0)
            emit dataChanged(index(0, 0, {}), index(childLists_[0].shown - 1, 0, {}));
    }
    void setBoldFont(const QFont& font) { boldFont_ = font; }

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        const std::int32_t p = idOf(parent);
        if (column != 0 || row < 0 || row >= shownChildrenOf(p)) return {};
        return createIndex(row, 0,
                           static_cast<quintptr>(childrenOf(p).ids[static_cast<std::size_t>(row)]));
    }
    QModelIndex parent(const QModelIndex& child) const override {
        const std::int32_t id = idOf(child);
        if (id == kNone) return {};
        return indexOf(item(id).parent);
    }
    int rowCount(const QModelIndex& parent) const override {
        if (parent.column() > 0) return 0;
        return shownChildrenOf(idOf(parent));
    }
    bool hasChildren(const QModelIndex& parent) const override { return rowCount(parent) > 0; }
    int columnCount(const QModelIndex&) const override { return 1; }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const std::int32_t id = idOf(index);
        if (id == kNone) return {};
        switch (role) {
            case Qt::DisplayRole:
                return labelOf(id);
            case Qt::DecorationRole:
                return icon(item(id).image, item(id).selectedImage);
            case Qt::FontRole:
                return item(id).bold ? QVariant(boldFont_) : QVariant();
            default:
                return {};
        }
    }

  private:
    struct Item {
        std::int32_t parent = kNone;    // id of the parent, kNone at the top level
        std::int32_t index = 0;         // position in the pre-order walk
        std::int32_t children = kNone;  // its list in childLists_, kNone while it has none
        std::uint32_t textStart = 0;    // in texts_
        std::int32_t image = 0;
        std::int32_t selectedImage = 0;
        std::int32_t value = 0;
        bool bold = false;
        bool shown = false;  // the view knows this item
        bool dirty = false;  // has children the view has not been told about yet
        bool expandPending = false;
    };

    Item& item(std::int32_t id) { return items_[static_cast<std::size_t>(id)]; }
    const Item& item(std::int32_t id) const { return items_[static_cast<std::size_t>(id)]; }

    // The children of an item (of the root for kNone).
    const Children& childrenOf(std::int32_t id) const {
        static const Children none;
        if (id == kNone) return childLists_[0];
        const std::int32_t list = item(id).children;
        return list == kNone ? none : childLists_[static_cast<std::size_t>(list)];
    }
    Children& childrenOf(std::int32_t id, bool) {
        if (id == kNone) return childLists_[0];
        if (item(id).children == kNone) {
            item(id).children = static_cast<std::int32_t>(childLists_.size());
            childLists_.emplace_back();
        }
        return childLists_[static_cast<std::size_t>(item(id).children)];
    }
    int shownChildrenOf(std::int32_t id) const { return childrenOf(id).shown; }

    // The item's position among its parent's children.
    int rowOf(std::int32_t id) const {
        const auto& siblings = childrenOf(item(id).parent).ids;
        return static_cast<int>(std::lower_bound(siblings.begin(), siblings.end(), id) -
                                siblings.begin());
    }

    // Marks an item and everything below it as known to the view.
    void markShown(std::int32_t id) {
        std::vector<std::int32_t> stack{id};
        while (!stack.empty()) {
            const std::int32_t next = stack.back();
            stack.pop_back();
            item(next).shown = true;
            if (item(next).children == kNone) continue;
            Children& children = childrenOf(next, true);
            children.shown = static_cast<int>(children.ids.size());
            stack.insert(stack.end(), children.ids.begin(), children.ids.end());
        }
    }

    // Pre-order position just past the item's last descendant.
    std::size_t subtreeEnd(std::int32_t id) const {
        for (;;) {
            const auto& children = childrenOf(id).ids;
            if (children.empty()) break;
            id = children.back();
        }
        return static_cast<std::size_t>(item(id).index) + 1;
    }

    QVariant icon(int image, int selectedImage) const {
        auto key = std::make_pair(image, selectedImage);
        auto found = icons_.find(key);
        if (found == icons_.end()) {
            QIcon made;
            // Each image with its finer variant: the icon draws the one that suits the screen.
            const auto add = [&](int i, QIcon::Mode mode) {
                if (i < 0 || i >= images_.size() || images_[i].isNull()) return;
                made.addPixmap(QPixmap::fromImage(images_[i].image()), mode);
                if (!images_[i].fine().isNull())
                    made.addPixmap(QPixmap::fromImage(images_[i].fine()), mode);
            };
            add(image, QIcon::Normal);
            add(selectedImage, QIcon::Selected);
            found = icons_.emplace(key, made.isNull() ? QVariant() : QVariant(made)).first;
        }
        return found->second;
    }

    std::vector<Item> items_;
    std::vector<std::int32_t> order_;
    std::vector<Children> childLists_;  // [0] holds the top-level items
    std::string texts_;
    bool rootDirty_ = false;
    std::vector<std::int32_t> dirty_;
    std::vector<std::int32_t> expand_;
    QList<Picture> images_;
    mutable std::map<std::pair<int, int>, QVariant> icons_;
    QFont boldFont_;
};

namespace {

class RowHeightDelegate : public QStyledItemDelegate {
  public:
    RowHeightDelegate(int* height, QObject* parent)
        : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(*height_);
        return size;
    }

  private:
    int* height_;
};

}  // namespace

// The Qt view inside the widget: lines between items, no expand buttons, selection only on an
// item's icon or label, and the cause of each selection change noted for the signal.
class TreeWidgetView : public QTreeView {
  public:
    TreeWidgetView(TreeView* owner, TreeModel* model)
        : QTreeView(owner), owner_(owner), model_(model) {}

    // The item's icon and label, in viewport coordinates.
    QRect labelRect(const QModelIndex& index) const {
        QRect cell = visualRect(index);
        if (cell.isEmpty()) return {};
        const std::int32_t id = model_->idOf(index);
        QFont font = this->font();
        font.setBold(model_->isBold(id));
        const int width =
            iconSize().width() + 8 + QFontMetrics(font).horizontalAdvance(model_->labelOf(id)) + 4;
        if (width < cell.width()) cell.setWidth(width);
        return cell;
    }

  protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent*) const override {
        // One item is always the selection once chosen: clicking it again, or with Ctrl, or on
        // empty space changes nothing.
        if (!index.isValid() || selectionModel()->isSelected(index))
            return QItemSelectionModel::NoUpdate;
        return QItemSelectionModel::ClearAndSelect;
    }

    void mousePressEvent(QMouseEvent* event) override {
        const QPoint pos = event->position().toPoint();
        const QModelIndex index = indexAt(pos);
        const bool onLabel = index.isValid() && labelRect(index).contains(pos);
        if (event->button() == Qt::RightButton) {
            setFocus(Qt::MouseFocusReason);
            if (onLabel) select(index, SelectionCause::other);
            event->accept();
            return;
        }
        // Only the left button's press on an item's icon or label selects with the mouse; the
        // other buttons (middle, back, forward) leave the selection alone.
        if (event->button() != Qt::LeftButton || !onLabel) {
            setFocus(Qt::MouseFocusReason);
            event->accept();
            return;
        }
        owner_->cause_ = SelectionCause::mouse;
        QTreeView::mousePressEvent(event);
        owner_->cause_ = SelectionCause::other;
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        // Dragging over items does not move the selection.
        if (event->buttons() != Qt::NoButton) {
            event->accept();
            return;
        }
        QTreeView::mouseMoveEvent(event);
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override {
        // Only the left button's double click opens or closes a branch; another button's second
        // press acts as a press.
        if (event->button() != Qt::LeftButton) {
            mousePressEvent(event);
            return;
        }
        // Past the label, or below the last item, a double click does nothing either.
        const QPoint pos = event->position().toPoint();
        const QModelIndex index = indexAt(pos);
        if (!index.isValid() || !labelRect(index).contains(pos)) {
            event->accept();
            return;
        }
        owner_->cause_ = SelectionCause::mouse;
        QTreeView::mouseDoubleClickEvent(event);
        owner_->cause_ = SelectionCause::other;
    }

    void keyPressEvent(QKeyEvent* event) override {
        owner_->cause_ = SelectionCause::keyboard;
        QTreeView::keyPressEvent(event);
        owner_->cause_ = SelectionCause::other;
    }

    void keyboardSearch(const QString& search) override {
        const SelectionCause cause = owner_->cause_;
        owner_->cause_ = SelectionCause::keyboard;
        QTreeView::keyboardSearch(search);
        owner_->cause_ = cause;
    }

    // Dotted lines from each child to its parent's column; none at the top level.
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override {
        const int step = indentation();
        if (step <= 0 || rect.width() < step || !index.parent().isValid()) return;
        painter->save();
        QPen pen(palette().color(QPalette::Mid), 1, Qt::DotLine);
        painter->setPen(pen);
        const int midY = rect.top() + rect.height() / 2;
        int columnLeft = rect.right() - step + 1;
        const int x = columnLeft + step / 2;
        const bool hasNext = index.sibling(index.row() + 1, 0).isValid();
        painter->drawLine(x, rect.top(), x, hasNext ? rect.bottom() : midY);
        painter->drawLine(x, midY, rect.right(), midY);
        // Ancestors with later siblings continue their lines through this row.
        for (QModelIndex up = index.parent(); up.parent().isValid(); up = up.parent()) {
            columnLeft -= step;
            if (up.sibling(up.row() + 1, 0).isValid()) {
                const int ux = columnLeft + step / 2;
                painter->drawLine(ux, rect.top(), ux, rect.bottom());
            }
        }
        painter->restore();
    }

  private:
    void select(const QModelIndex& index, SelectionCause cause) {
        owner_->cause_ = cause;
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        owner_->cause_ = SelectionCause::other;
    }

    TreeView* owner_;
    TreeModel* model_;
};

}  // namespace lxtv::toolkit::detail

namespace lxtv::toolkit {

TreeView::TreeView(QWidget* parent) : QWidget(parent) {
    model_ = std::make_unique<detail::TreeModel>(nullptr);
    view_ = new detail::TreeWidgetView(this, model_.get());
    view_->setModel(model_.get());
    view_->setItemDelegate(new detail::RowHeightDelegate(&itemHeight_, view_));
    view_->setHeaderHidden(true);
    view_->setRootIsDecorated(false);
    view_->setItemsExpandable(true);
    view_->setExpandsOnDoubleClick(true);
    view_->setUniformRowHeights(true);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setFrameShape(QFrame::NoFrame);
    view_->setIconSize(QSize(18, 18));
    view_->setAllColumnsShowFocus(false);
    view_->setAnimated(false);
    view_->setDragEnabled(false);

    QFont bold = font();
    bold.setBold(true);
    model_->setBoldFont(bold);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_);
    setFocusProxy(view_);
    setFocusPolicy(Qt::StrongFocus);

    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit selectionChanged(cause_); });

    // The selection stays as visible without the focus as with it.
    QPalette pal = view_->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    view_->setPalette(pal);
}

TreeView::~TreeView() {
    // The view goes first: it must not outlive the model it shows.
    delete view_;
    view_ = nullptr;
}

void TreeView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // Bold items follow the tree's own font.
        QFont bold = font();
        bold.setBold(true);
        model_->setBoldFont(bold);
        view_->viewport()->update();
    }
}

void TreeView::setColors(QColor text, QColor background) {
    QPalette pal = view_->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, text);
        pal.setColor(group, QPalette::WindowText, text);
        pal.setColor(group, QPalette::Base, background);
        pal.setColor(group, QPalette::Window, background);
    }
    view_->setPalette(pal);
}

void TreeView::setItemHeight(int pixels) {
    itemHeight_ = pixels > 0 ? pixels : 1;
    view_->doItemsLayout();
}

void TreeView::setImageList(const QList<Picture>& images) {
    model_->setIcons(images);
}

void TreeView::clearItems() {
    model_->clear();
}

int TreeView::addItem(int parentIndex, const std::string& text, int image, int selectedImage,
                      int value, bool bold) {
    return addItemBytes(parentIndex, text, image, selectedImage, value, bold);
}

int TreeView::addItem(int parentIndex, const std::string& text, const QString&, int image,
                      int selectedImage, int value, bool bold) {
    return addItemBytes(parentIndex, text, image, selectedImage, value, bold);
}

int TreeView::addItemBytes(int parentIndex, std::string_view text, int image, int selectedImage,
                           int value, bool bold) {
    const std::int32_t id = model_->add(parentIndex, text, image, selectedImage, value, bold);
    if (bulkDepth_ == 0) {
        beginBulk();
        endBulk();
    }
    return model_->indexOfItem(id);
}

int TreeView::itemCount() const {
    return model_->count();
}

int TreeView::itemValue(int index) const {
    const std::int32_t id = model_->at(index);
    return id == detail::TreeModel::kNone ? 0 : model_->valueOf(id);
}

void TreeView::expandItem(int index) {
    const std::int32_t id = model_->at(index);
    if (id == detail::TreeModel::kNone) return;
    if (model_->isShown(id) && bulkDepth_ == 0) {
        view_->expand(model_->indexOf(id));
    } else {
        model_->requestExpand(id);
        if (bulkDepth_ == 0) {
            beginBulk();
            endBulk();
        }
    }
}

int TreeView::parentIndex(int index) const {
    const std::int32_t id = model_->at(index);
    return id == detail::TreeModel::kNone ? -1 : model_->parentIndexOf(id);
}

std::string TreeView::itemText(int index) const {
    const std::int32_t id = model_->at(index);
    return id == detail::TreeModel::kNone ? std::string() : std::string(model_->textOf(id));
}

int TreeView::selectedImageOf(int index) const {
    const std::int32_t id = model_->at(index);
    return id == detail::TreeModel::kNone ? -1 : model_->selectedImageOf(id);
}

int TreeView::selectedIndex() const {
    const QModelIndexList selected = view_->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return -1;
    const std::int32_t id = model_->idOf(selected.first());
    return id == detail::TreeModel::kNone ? -1 : model_->indexOfItem(id);
}

void TreeView::beginBulk() {
    ++bulkDepth_;
}

void TreeView::endBulk() {
    if (bulkDepth_ > 0) --bulkDepth_;
    if (bulkDepth_ > 0 || !model_->hasUnpublished()) return;
    for (const std::int32_t id : model_->publish()) view_->expand(model_->indexOf(id));
}

void TreeView::setSelectedIndex(int index) {
    const std::int32_t id = model_->at(index);
    cause_ = SelectionCause::other;
    if (id == detail::TreeModel::kNone || !model_->isShown(id)) {
        view_->selectionModel()->clearSelection();
        return;
    }
    view_->selectionModel()->setCurrentIndex(model_->indexOf(id),
                                             QItemSelectionModel::ClearAndSelect);
}

int TreeView::imageOf(int index) const {
    const std::int32_t id = model_->at(index);
    return id == detail::TreeModel::kNone ? -1 : model_->imageOf(id);
}

bool TreeView::isItemBold(int index) const {
    const std::int32_t id = model_->at(index);
    return id != detail::TreeModel::kNone && model_->isBold(id);
}

bool TreeView::isItemExpanded(int index) const {
    const std::int32_t id = model_->at(index);
    if (id == detail::TreeModel::kNone) return false;
    if (!model_->isShown(id)) return model_->isPendingExpand(id);
    return view_->isExpanded(model_->indexOf(id)) || model_->isPendingExpand(id);
}

QRect TreeView::itemRect(int index) const {
    const std::int32_t id = model_->at(index);
    if (id == detail::TreeModel::kNone || !model_->isShown(id)) return {};
    QRect r = view_->labelRect(model_->indexOf(id));
    if (r.isEmpty()) return {};
    return QRect(view_->viewport()->mapTo(this, r.topLeft()), r.size());
}

QWidget* TreeView::viewport() const {
    return view_->viewport();
}

}  // namespace lxtv::toolkit
