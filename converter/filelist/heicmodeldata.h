#pragma once

#include <QList>
#include <QMetaType>
#include <QPixmap>
#include <QRect>
#include <QString>

struct HeicModelData;

// Presentation state of one table row: hover, check box and its look, a label for column 0.
// Records belong to the model and are read and written on the GUI thread only.
struct ModelDataBase {
    virtual ~ModelDataBase() = default;

    // Check-box looks: cells of the check-box image.
    enum CheckLook {
        Unchecked = 0,
        UncheckedHover = 1,
        UncheckedPressed = 2,
        Checked = 4,
        CheckedHover = 5,
        CheckedPressed = 6,
        Partial = 12
    };

    int nHover = 0;
    QRect rcCheckBox;
    bool bSelected = false;
    int nCheckBoxState = Unchecked;
    QList<QPixmap> listCheckBoxPixmap;
    QString strLabel;

    // The cell of look, or cell 0 for a look outside the list.
    QPixmap checkBoxCell(int look) const;
    // The text a column shows, for views and tools that read the display role.
    virtual QString displayText(int column) const;
    // Whether this row goes before other when the list is sorted by column (ascending).
    virtual bool sortsBefore(const ModelDataBase& other, int column) const;
    // The mouse has left the row: buttons drawn in it back to their rest look.
    virtual void restButtons() {}
    // The record as a listed file, null for another kind of row.
    virtual const HeicModelData* heicData() const { return nullptr; }
};
Q_DECLARE_METATYPE(ModelDataBase*)

// The sixteen 16 x 16 cells of the check-box image, column by column.
QList<QPixmap> checkBoxCells();

// One listed HEIC file.
struct HeicModelData : ModelDataBase {
    enum ConvertState { Ready = 0, Converting = 1, Completed = 2, Failed = 3 };
    enum ButtonLook { Normal = 0, Hovered = 1, Pressed = 2, Disabled = 3 };

    QString strFilePath;
    QString strSpare;
    QString strFileName;
    QString strFileSize;
    qint64 nFileBytes = 0;
    int nOutputFormat = 0;
    int nConvertState = Ready;
    QRect rcPreview;
    int nPreviewState = Normal;
    QRect rcFolder;
    int nFolderState = Disabled;
    QRect rcDelete;
    int nDeleteState = Normal;
    bool bBusy = false;
    bool bConvertedJpg = false;
    bool bConvertedPng = false;
    bool bConvertedBmp = false;
    QString strFailReason;  // why the last conversion failed, in English

    // The failure reason in the language of the program.
    QString failReasonText() const;

    // The converted mark of a ConvertFormat; false for another value.
    bool isConvertedTo(int format) const;
    void setConvertedTo(int format);

    // The size in bytes and its text.
    void setFileSize(qint64 bytes);

    QString displayText(int column) const override;
    // By name in natural order; by size or state, then by name.
    bool sortsBefore(const ModelDataBase& other, int column) const override;
    void restButtons() override;
    const HeicModelData* heicData() const override { return this; }
    // naturalSortKey of the file name, made once.
    const QString& nameSortKey() const;

private:
    mutable QString m_strNameKey;
};

// Below 1 MB "%1 KB", else "%1 MB", with two decimals.
QString heicSizeText(qint64 bytes);

// File names as file managers order them: runs of digits by their value (2 before 10), the
// rest without regard to case; < 0, 0 or > 0.
int naturalCompare(const QString& a, const QString& b);
// A text whose plain order is that natural order (names equal but for case or leading zeros
// give equal keys).
QString naturalSortKey(const QString& text);
