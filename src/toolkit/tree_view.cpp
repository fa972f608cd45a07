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
#include <deque>
#include <map>
#include <utility>
#include <vector>

#include "platform/ansi.h"

namespace lxtv::toolkit::detail {

namespace {

struct Node {
    Node* parent = nullptr;
    std::vector<Node*> children;
    int shownChildren = 0;  // children the view has been told about
    int row = 0;            // position among the parent's children
    int index = 0;          // position in the pre-order walk
    bool shown = false;     // the view knows this node
    bool dirty = false;     // has children the view has not been told about yet
    bool expandPending = false;
    std::string text;
    QString label;
    int image = 0;
    int selectedImage = 0;
    int value = 0;
    bool bold = false;
};

}  // namespace

// The items in pre-order, and the Qt model over them. Items are only appended (as last child
// of their parent), so the common case - appending at the end of the pre-order - costs
// O(depth); an append into an earlier branch renumbers the items after it.
class TreeModel : public QAbstractItemModel {
  public:
    explicit TreeModel(QObject* parent) : QAbstractItemModel(parent) { root_.shown = true; }

    Node* at(int index) const {
        if (index < 0 || index >= static_cast<int>(order_.size())) return nullptr;
        return order_[static_cast<std::size_t>(index)];
    }
    int count() const { return static_cast<int>(order_.size()); }

    QModelIndex indexOf(const Node* node) const {
        if (node == nullptr || node == &root_ || !node->shown) return {};
        return createIndex(node->row, 0, const_cast<Node*>(node));
    }
    Node* nodeOf(const QModelIndex& index) const {
        return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
    }

    void clear() {
        beginResetModel();
        order_.clear();
        root_.children.clear();
        root_.shownChildren = 0;
        root_.dirty = false;
        dirty_.clear();
        expand_.clear();
        storage_.clear();
        endResetModel();
    }

    Node* add(int parentIndex, const std::string& text, QString label, int image, int selectedImage,
              int value, bool bold) {
        Node* parent = at(parentIndex);
        if (parent == nullptr) parent = &root_;
        std::size_t pos = parent == &root_ ? order_.size() : subtreeEnd(parent);

        Node& node = storage_.emplace_back();
        node.parent = parent;
        node.row = static_cast<int>(parent->children.size());
        node.index = static_cast<int>(pos);
        node.text = text;
        node.label = std::move(label);
        node.image = image < 0 ? 0 : image;
        node.selectedImage = selectedImage < 0 ? node.image : selectedImage;
        node.value = value;
        node.bold = bold;
        parent->children.push_back(&node);

        if (pos == order_.size()) {
            order_.push_back(&node);
        } else {
            order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(pos), &node);
            for (std::size_t i = pos + 1; i < order_.size(); ++i)
                order_[i]->index = static_cast<int>(i);
        }

        if (parent->shown) {
            if (!parent->dirty) {
                parent->dirty = true;
                dirty_.push_back(parent);
            }
        } else {
            parent->shownChildren = static_cast<int>(parent->children.size());
        }
        return &node;
    }

    void requestExpand(Node* node) {
        if (!node->expandPending) {
            node->expandPending = true;
            expand_.push_back(node);
        }
    }

    // Tells the view about every item added since the last call, one insertion per parent.
    // Returns the nodes whose expansion waits for them to be shown.
    std::vector<Node*> publish() {
        for (Node* parent : dirty_) {
            const int first = parent->shownChildren;
            const int last = static_cast<int>(parent->children.size()) - 1;
            parent->dirty = false;
            if (last < first) continue;
            beginInsertRows(parent == &root_ ? QModelIndex() : indexOf(parent), first, last);
            parent->shownChildren = last + 1;
            for (int i = first; i <= last; ++i)
                markShown(parent->children[static_cast<std::size_t>(i)]);
            endInsertRows();
        }
        dirty_.clear();
        std::vector<Node*> expand;
        expand.swap(expand_);
        for (Node* node : expand) node->expandPending = false;
        return expand;
    }

    bool hasUnpublished() const { return !dirty_.empty() || !expand_.empty(); }
    bool isPendingExpand(const Node* node) const { return node->expandPending; }

    void setIcons(const QList<Picture>& images) {
        images_ = images;
        icons_.clear();
        if (!order_.empty())
            emit dataChanged(index(0, 0, {}), index(root_.shownChildren - 1, 0, {}));
    }
    void setBoldFont(const QFont& font) { boldFont_ = font; }

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        const Node* p = parent.isValid() ? nodeOf(parent) : &root_;
        if (column != 0 || row < 0 || row >= p->shownChildren) return {};
        return createIndex(row, 0, p->children[static_cast<std::size_t>(row)]);
    }
    QModelIndex parent(const QModelIndex& child) const override {
        const Node* node = nodeOf(child);
        if (node == nullptr || node->parent == &root_) return {};
        return indexOf(node->parent);
    }
    int rowCount(const QModelIndex& parent) const override {
        if (parent.column() > 0) return 0;
        const Node* p = parent.isValid() ? nodeOf(parent) : &root_;
        return p->shownChildren;
    }
    int columnCount(const QModelIndex&) const override { return 1; }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const Node* node = nodeOf(index);
        if (node == nullptr) return {};
        switch (role) {
            case Qt::DisplayRole:
                return node->label;
            case Qt::DecorationRole:
                return icon(node->image, node->selectedImage);
            case Qt::FontRole:
                return node->bold ? QVariant(boldFont_) : QVariant();
            default:
                return {};
        }
    }

  private:
    static void markShown(Node* node) {
        node->shown = true;
        node->shownChildren = static_cast<int>(node->children.size());
        for (Node* child : node->children) markShown(child);
    }

    // Pre-order position just past the node's last descendant.
    static std::size_t subtreeEnd(const Node* node) {
        while (!node->children.empty()) node = node->children.back();
        return static_cast<std::size_t>(node->index) + 1;
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

    Node root_;
    std::deque<Node> storage_;
    std::vector<Node*> order_;
    std::vector<Node*> dirty_;
    std::vector<Node*> expand_;
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
        const Node* node = model_->nodeOf(index);
        QFont font = this->font();
        font.setBold(node->bold);
        const int width =
            iconSize().width() + 8 + QFontMetrics(font).horizontalAdvance(node->label) + 4;
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

using detail::Node;

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
    return addItem(parentIndex, text, platform::toQString(text), image, selectedImage, value, bold);
}

int TreeView::addItem(int parentIndex, const std::string& text, const QString& shown, int image,
                      int selectedImage, int value, bool bold) {
    Node* node = model_->add(parentIndex, text, shown, image, selectedImage, value, bold);
    const int index = node->index;
    if (bulkDepth_ == 0) {
        beginBulk();
        endBulk();
    }
    return index;
}

int TreeView::itemCount() const {
    return model_->count();
}

int TreeView::itemValue(int index) const {
    const Node* node = model_->at(index);
    return node ? node->value : 0;
}

void TreeView::expandItem(int index) {
    Node* node = model_->at(index);
    if (node == nullptr) return;
    if (node->shown && bulkDepth_ == 0) {
        view_->expand(model_->indexOf(node));
    } else {
        model_->requestExpand(node);
        if (bulkDepth_ == 0) {
            beginBulk();
            endBulk();
        }
    }
}

int TreeView::parentIndex(int index) const {
    const Node* node = model_->at(index);
    if (node == nullptr || node->parent == nullptr || node->parent->parent == nullptr) return -1;
    return node->parent->index;
}

std::string TreeView::itemText(int index) const {
    const Node* node = model_->at(index);
    return node ? node->text : std::string();
}

int TreeView::selectedImageOf(int index) const {
    const Node* node = model_->at(index);
    return node ? node->selectedImage : -1;
}

int TreeView::selectedIndex() const {
    const QModelIndexList selected = view_->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return -1;
    const Node* node = model_->nodeOf(selected.first());
    return node ? node->index : -1;
}

void TreeView::beginBulk() {
    ++bulkDepth_;
}

void TreeView::endBulk() {
    if (bulkDepth_ > 0) --bulkDepth_;
    if (bulkDepth_ > 0 || !model_->hasUnpublished()) return;
    for (Node* node : model_->publish()) view_->expand(model_->indexOf(node));
}

void TreeView::setSelectedIndex(int index) {
    const Node* node = model_->at(index);
    cause_ = SelectionCause::other;
    if (node == nullptr || !node->shown) {
        view_->selectionModel()->clearSelection();
        return;
    }
    view_->selectionModel()->setCurrentIndex(model_->indexOf(node),
                                             QItemSelectionModel::ClearAndSelect);
}

int TreeView::imageOf(int index) const {
    const Node* node = model_->at(index);
    return node ? node->image : -1;
}

bool TreeView::isItemBold(int index) const {
    const Node* node = model_->at(index);
    return node ? node->bold : false;
}

bool TreeView::isItemExpanded(int index) const {
    const Node* node = model_->at(index);
    if (node == nullptr) return false;
    if (!node->shown) return model_->isPendingExpand(node);
    return view_->isExpanded(model_->indexOf(node)) || model_->isPendingExpand(node);
}

QRect TreeView::itemRect(int index) const {
    const Node* node = model_->at(index);
    if (node == nullptr || !node->shown) return {};
    QRect r = view_->labelRect(model_->indexOf(node));
    if (r.isEmpty()) return {};
    return QRect(view_->viewport()->mapTo(this, r.topLeft()), r.size());
}

QWidget* TreeView::viewport() const {
    return view_->viewport();
}

}  // namespace lxtv::toolkit
