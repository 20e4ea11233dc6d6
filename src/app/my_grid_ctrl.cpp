#include "app/my_grid_ctrl.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include "app/prompts.h"
#include "app/qtext.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

const QColor kFixedColour(199, 227, 227);
const QColor kBackgroundColour(255, 255, 255);
constexpr int kCellMargin = 3;
constexpr int kTileRowHeight = kThumbnailHeight + 10;
// The list look's column widths: 0 hides a column, kFillWidth takes the width the others leave.
constexpr int kFillWidth = -1;
constexpr int kListWidths[AlbumGridModel::kColumns] = {50, kFillWidth, 50, 100, 0, 0};
constexpr int kTileTextHeight = 18;

// A tile: the cover filling the cell, the text on a band over its foot, the check mark in
// its corner showing the selection.
class TileDelegate : public QStyledItemDelegate {
 public:
  TileDelegate(const ThumbnailList& thumbnails, QObject* parent)
      : QStyledItemDelegate(parent), thumbnails_(thumbnails) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const auto* model = static_cast<const AlbumGridModel*>(index.model());
    const GridEntry* entry = model->EntryAt(index.row(), index.column());
    painter->fillRect(option.rect, kBackgroundColour);
    if (!entry) return;
    const bool selected = option.state & QStyle::State_Selected;
    const QRect picture(option.rect.left() + kCellMargin, option.rect.top() + 2, kThumbnailWidth, kThumbnailHeight);
    const QPixmap pixmap = thumbnails_.Pixmap(entry->thumbnail);
    if (!pixmap.isNull()) painter->drawPixmap(picture, pixmap);
    else painter->fillRect(picture, QColor(236, 240, 240));

    const QRect band(picture.left(), picture.bottom() - kTileTextHeight + 1, picture.width(), kTileTextHeight);
    painter->fillRect(band, selected ? QColor(40, 110, 200, 210) : QColor(0, 0, 0, 140));
    painter->setPen(Qt::white);
    painter->drawText(band.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft,
                      option.fontMetrics.elidedText(entry->tileText, Qt::ElideRight, band.width() - 6));

    QStyleOptionButton check;
    check.rect = QRect(picture.left() + 3, picture.top() + 3, 16, 16);
    check.state = QStyle::State_Enabled | (selected ? QStyle::State_On : QStyle::State_Off);
    const QWidget* widget = option.widget;
    (widget ? widget->style() : QApplication::style())->drawPrimitive(QStyle::PE_IndicatorCheckBox, &check, painter, widget);
    if (selected) {
      painter->setPen(QPen(QColor(40, 110, 200), 2));
      painter->drawRect(picture.adjusted(0, 0, -1, -1));
    }
  }

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return {kThumbnailWidth + 2 * kCellMargin, kTileRowHeight};
  }

 private:
  const ThumbnailList& thumbnails_;
};

// Apostrophes removed, double quotes doubled, commas written as "','".
QString CsvCell(QString text) {
  text.remove(u'\'');
  text.replace(u'"', QStringLiteral("\"\""));
  text.replace(u',', QStringLiteral("','"));
  return text;
}

}  // namespace

// ---- model ------------------------------------------------------------------------------

AlbumGridModel::AlbumGridModel(const ThumbnailList& thumbnails, QObject* parent)
    : QAbstractTableModel(parent), thumbnails_(thumbnails) {}

void AlbumGridModel::SetUp(GridLook look) {
  beginResetModel();
  look_ = look;
  entries_.clear();
  endResetModel();
}

void AlbumGridModel::Append(const std::vector<ST_PERLISTRECORD>& albums) {
  if (albums.empty()) return;
  const int before = EntryCount();
  const int rowsBefore = rowCount();
  std::vector<GridEntry> added;
  added.reserve(albums.size());
  for (const auto& album : albums) {
    GridEntry entry;
    entry.albumIndex = album.index;
    const AlbumRowTexts texts = RowTexts(album, before + static_cast<int>(added.size()) + 1);
    entry.cells[0] = Q(texts.number);
    entry.cells[1] = Q(texts.name);
    entry.cells[2] = Q(texts.count);
    entry.cells[3] = Q(texts.remarks);
    entry.tileText = QStringLiteral("%1.%2").arg(album.index + 1).arg(Q(album.name));
    entry.thumbnail = album.thumbnail;
    added.push_back(std::move(entry));
  }
  // Tiles first fill up the last row that is already there; the rest are new rows.
  size_t fill = 0;
  if (look_ == GridLook::Tiles && before % kTileColumns != 0) {
    fill = std::min(added.size(), static_cast<size_t>(kTileColumns - before % kTileColumns));
    entries_.insert(entries_.end(), added.begin(), added.begin() + static_cast<std::ptrdiff_t>(fill));
    emit dataChanged(index(rowsBefore - 1, 0), index(rowsBefore - 1, kColumns - 1));
  }
  if (fill == added.size()) return;
  const int after = before + static_cast<int>(added.size());
  beginInsertRows({}, rowsBefore, (look_ == GridLook::List ? after : TileRows(after)) - 1);
  entries_.insert(entries_.end(), std::make_move_iterator(added.begin() + static_cast<std::ptrdiff_t>(fill)),
                  std::make_move_iterator(added.end()));
  endInsertRows();
}

const GridEntry* AlbumGridModel::EntryAt(int row, int column) const {
  if (row < 0 || column < 0 || column >= kColumns) return nullptr;
  long long at = row;
  if (look_ == GridLook::Tiles) {
    if (column >= kTileColumns) return nullptr;
    at = static_cast<long long>(row) * kTileColumns + column;
  }
  return at < EntryCount() ? &entries_[static_cast<size_t>(at)] : nullptr;
}

QString AlbumGridModel::CellText(int row, int column) const {
  const GridEntry* entry = EntryAt(row, column);
  if (!entry) return {};
  if (look_ == GridLook::Tiles) return entry->tileText;
  return column < 4 ? entry->cells[column] : QString();
}

int AlbumGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return look_ == GridLook::List ? EntryCount() : TileRows(EntryCount());
}

int AlbumGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant AlbumGridModel::data(const QModelIndex& index, int role) const {
  const GridEntry* entry = EntryAt(index.row(), index.column());
  if (!entry) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return CellText(index.row(), index.column());
    case Qt::UserRole:
      return entry->albumIndex;
    case Qt::BackgroundRole:
      if (look_ == GridLook::List && index.column() == 0) return kFixedColour;
      return {};
    case Qt::TextAlignmentRole:
      if (look_ == GridLook::List && index.column() != 1) return int(Qt::AlignCenter);
      return {};
    default:
      return {};
  }
}

QVariant AlbumGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const QString kHeaders[kColumns] = {QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("数量"),
                                             QStringLiteral("备注"), QString(), QString()};
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
  if (role == Qt::DisplayRole && look_ == GridLook::List) return kHeaders[section];
  return {};
}

Qt::ItemFlags AlbumGridModel::flags(const QModelIndex& index) const {
  if (!EntryAt(index.row(), index.column())) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// ---- view -------------------------------------------------------------------------------

CMyGridCtrl::CMyGridCtrl(const ThumbnailList& thumbnails, Prompts& prompts, QWidget* parent)
    : QTableView(parent),
      prompts_(prompts),
      model_(new AlbumGridModel(thumbnails, this)),
      cells_(new QStyledItemDelegate(this)),
      tiles_(new TileDelegate(thumbnails, this)) {
  setObjectName(QStringLiteral("MyGridCtrl"));
  setModel(model_);
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStyleSheet(
      QStringLiteral("QHeaderView::section { background-color: rgb(199, 227, 227); border: 0px;"
                     " border-right: 1px solid #a0b4b4; border-bottom: 1px solid #a0b4b4; padding: 2px; }"));
  QPalette colours = palette();
  colours.setColor(QPalette::Base, kBackgroundColour);
  setPalette(colours);
  setEditTriggers(NoEditTriggers);
  setWordWrap(false);
  SetUpGrid(GridLook::List);
}

void CMyGridCtrl::SetUpGrid(GridLook look) {
  setUpdatesEnabled(false);
  model_->SetUp(look);
  const bool list = look == GridLook::List;
  setItemDelegate(list ? cells_ : tiles_);
  horizontalHeader()->setVisible(list);
  setShowGrid(list);
  setSelectionBehavior(list ? SelectRows : SelectItems);
  setSelectionMode(list ? ExtendedSelection : MultiSelection);
  verticalHeader()->setDefaultSectionSize(list ? fontMetrics().height() + 6 : kTileRowHeight);
  // In the list look the name column grows and shrinks with the grid, so the columns fill
  // it without a horizontal scroll bar; the tiles keep their width.
  for (int column = 0; column < AlbumGridModel::kColumns; ++column) {
    const int width = list ? kListWidths[column] : kThumbnailWidth + 2 * kCellMargin;
    setColumnHidden(column, width == 0);
    horizontalHeader()->setSectionResizeMode(column, width == kFillWidth ? QHeaderView::Stretch : QHeaderView::Interactive);
    if (width > 0) setColumnWidth(column, width);
  }
  setUpdatesEnabled(true);
  viewport()->update();
}

void CMyGridCtrl::AppendAlbums(const std::vector<ST_PERLISTRECORD>& albums) { model_->Append(albums); }

void CMyGridCtrl::SelectAllCells() { selectAll(); }

void CMyGridCtrl::ClearSelectionAndFocus() {
  clearSelection();
  selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
}

std::vector<int> CMyGridCtrl::TickedAlbums(int albumCount) const {
  const int rows = model_->rowCount();
  std::vector<char> picked(static_cast<size_t>(rows) * AlbumGridModel::kColumns, 0);
  for (const QItemSelectionRange& range : selectionModel()->selection()) {
    for (int row = range.top(); row <= range.bottom(); ++row) {
      for (int column = range.left(); column <= range.right(); ++column) {
        picked[static_cast<size_t>(row) * AlbumGridModel::kColumns + static_cast<size_t>(column)] = 1;
      }
    }
  }
  std::vector<int> ticked;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < AlbumGridModel::kColumns; ++column) {
      if (!picked[static_cast<size_t>(row) * AlbumGridModel::kColumns + static_cast<size_t>(column)]) continue;
      const GridEntry* entry = model_->EntryAt(row, column);
      if (entry && entry->albumIndex < albumCount) ticked.push_back(entry->albumIndex);
      if (model_->Look() == GridLook::List) break;  // a row counts once
    }
  }
  return ticked;
}

int CMyGridCtrl::FindRow(int start, const QString& keyword, bool forward, bool ignoreCase, bool wholeCell) {
  if (keyword.isEmpty()) {
    prompts_.Message(this, QStringLiteral("关键字不能为空"));
    return 1;
  }
  const QString wanted = ignoreCase ? keyword.toLower() : keyword;
  const int rows = model_->rowCount();
  const int step = forward ? 1 : -1;
  for (int row = std::clamp(start + step, -1, rows); row >= 0 && row < rows; row += step) {
    for (int column = 0; column < AlbumGridModel::kColumns; ++column) {
      QString text = model_->CellText(row, column);
      if (ignoreCase) text = text.toLower();
      if (wholeCell ? text == wanted : text.contains(wanted)) {
        clearSelection();
        const QModelIndex found = model_->index(row, 0);
        // The focus moves with the match, so the next search goes on from it.
        selectionModel()->setCurrentIndex(found, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(found, PositionAtTop);
        return 1;
      }
    }
  }
  return 0;
}

int CMyGridCtrl::FocusRow() const {
  const QModelIndex current = selectionModel()->currentIndex();
  return current.isValid() ? current.row() : -1;
}

QByteArray CMyGridCtrl::CsvBytes() const {
  QByteArray bytes;
  for (int row = 0; row < model_->rowCount(); ++row) {
    QString line;
    for (int column = 0; column < AlbumGridModel::kColumns; ++column) line += CsvCell(model_->CellText(row, column)) + u',';
    const Bytes gbk = ToGbk(T(line));
    bytes.append(gbk.data(), static_cast<qsizetype>(gbk.size()));
    bytes.append("\r\n");
  }
  return bytes;
}

void CMyGridCtrl::ExportCsv() {
  const QString path = prompts_.SaveFileName(this, QStringLiteral("导出后，自行调整列宽 (*.csv)"), QStringLiteral("csv"));
  if (path.isEmpty()) return;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  file.write(CsvBytes());
}

}  // namespace zentrow
