#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVector>

class QWidget;

// Where gallery entries put their shots: one PNG per shot in <outdir>/<group>/<name>.png,
// and per group a contact sheet <outdir>/<group>.png of all its shots with their names.
class GalleryCanvas {
public:
    GalleryCanvas(const QString& outDir, const QString& language);

    QString language() const { return m_strLanguage; }
    bool isChinese() const { return m_strLanguage == QLatin1String("zh"); }
    // A sample text in the canvas's language.
    QString pick(const QString& english, const QString& chinese) const;

    void setGroup(const QString& group) { m_strGroup = group; }

    // Lays the widget out (showing it off screen when it is a window) and writes what it paints
    // over the backdrop, with padding on every side. Translucent windows keep their shadow.
    void shoot(const QString& name, QWidget* widget, const QColor& backdrop = Qt::white,
               int padding = 8);

    // Writes the contact sheets; true when every file was written.
    bool finish();
    int writtenFiles() const { return m_nWritten; }
    // The files of the shots written so far, in order.
    const QStringList& shotFiles() const { return m_shotFiles; }

    // Puts a widget into a look without a real mouse.
    static void hover(QWidget* widget);
    static void press(QWidget* widget, const QPoint& pos = QPoint(-1, -1));
    static void leave(QWidget* widget);

private:
    struct Shot {
        QString group;
        QString name;
        QImage image;
    };

    bool save(const QImage& image, const QString& path);
    QImage contactSheet(const QVector<const Shot*>& shots) const;

    QString m_strOutDir;
    QString m_strLanguage;
    QString m_strGroup = QStringLiteral("misc");
    QVector<Shot> m_shots;
    QStringList m_shotFiles;
    int m_nWritten = 0;
    bool m_bFailed = false;
};
