// The album grid: a table view with two looks.
//
// List look: one row per album with the columns "序号", "名称", "数量", "备注" and two
// hidden, empty ones; "名称" takes whatever width the others leave. Tile look: six tiles to a row, each a 113 x 120 cover with the text
// "%d.%s" (album number, name) and a check mark. Rows count from 0 (the header is no row).
//
// The albums ticked for a download are the selected rows (list look) or the selected
// tiles (tile look); a tile's check mark shows whether it is selected, and clicking a tile
// flips it.
#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QTableView>

class QStyledItemDelegate;
#include <vector>

#include "app/thumbnails.h"
#include "engine/album.h"

namespace zentrow {

class Prompts;

enum class GridLook { List, Tiles };

// What one row (list look) or one tile shows.
struct GridEntry {
  int albumIndex = 0;
  QString cells[4];  // number, name, count, remarks
  QString tileText;  // "%d.%s"
  int thumbnail = -1;
};

class AlbumGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kColumns = 6;

  AlbumGridModel(const ThumbnailList& thumbnails, QObject* parent);
  void SetUp(GridLook look);
  GridLook Look() const { return look_; }
  // Appends albums after those shown; list rows are numbered by their new row.
  void Append(const std::vector<ST_PERLISTRECORD>& albums);
  int EntryCount() const { return static_cast<int>(entries_.size()); }
  const GridEntry* EntryAt(int row, int column) const;
  QString CellText(int row, int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  static int TileRows(int entries) { return (entries + kTileColumns - 1) / kTileColumns; }

  const ThumbnailList& thumbnails_;
  GridLook look_ = GridLook::List;
  std::vector<GridEntry> entries_;
};

class CMyGridCtrl : public QTableView {
  Q_OBJECT
 public:
  CMyGridCtrl(const ThumbnailList& thumbnails, Prompts& prompts, QWidget* parent = nullptr);

  // Clears the grid and prepares the columns of the look.
  void SetUpGrid(GridLook look);
  GridLook Look() const { return model_->Look(); }
  void AppendAlbums(const std::vector<ST_PERLISTRECORD>& albums);

  void SelectAllCells();
  void ClearSelectionAndFocus();
  // The album indexes ticked for a download, in grid order; indexes not below
  // `albumCount` are left out.
  std::vector<int> TickedAlbums(int albumCount) const;

  // Searches the rows after (forward) or before `start` for a cell containing the keyword
  // (or equal to it with `wholeCell`); a match becomes the selected, focused top row.
  // 1 when found, 0 when not; an empty keyword is refused with a message (result 1).
  int FindRow(int start, const QString& keyword, bool forward, bool ignoreCase, bool wholeCell);
  int FocusRow() const;

  // The export: every row, each cell stripped of apostrophes, its double quotes doubled,
  // its commas written as "','", followed by ","; GBK, CR LF after each row.
  QByteArray CsvBytes() const;
  // Asks for a file and writes the export into it; nothing when cancelled or unwritable.
  void ExportCsv();

  int RowCount() const { return model_->rowCount(); }
  QString CellText(int row, int column) const { return model_->CellText(row, column); }
  const AlbumGridModel& Model() const { return *model_; }

 private:
  Prompts& prompts_;
  AlbumGridModel* model_;
  QStyledItemDelegate* cells_;  // the list look
  QStyledItemDelegate* tiles_;  // the tile look
};

}  // namespace zentrow
