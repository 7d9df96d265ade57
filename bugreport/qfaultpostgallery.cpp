// Gallery shots of the bug report dialog: as it opens, filled in, and after a failed upload.

#include "gallerycanvas.h"
#include "galleryregistry.h"

#include "kittheme.h"
#include "qcheckboxex.h"
#include "qfaultpost.h"
#include "qfaultpostresources.h"

#include <QPlainTextEdit>

namespace {

const QColor kBackdrop("#D9DDE3");

// The dialog draws with the bug reporter's images, as in its own program.
class BugReportTheme {
public:
    BugReportTheme() : m_saved(KitTheme::current()) {
        qfaultpost::initResources();
        KitTheme::setCurrent(qfaultpost::kitTheme());
    }
    ~BugReportTheme() { KitTheme::setCurrent(m_saved); }

private:
    KitTheme m_saved;
};

void shootBugReportDialog(GalleryCanvas& canvas) {
    const BugReportTheme theme;
    {
        QFaultPost dialog;
        canvas.shoot("QFaultPost_opened", &dialog, kBackdrop, 0);
    }
    {
        QFaultPost dialog;
        dialog.restartBox()->click();
        dialog.sendBox()->click();
        dialog.descriptionEditor()->setPlainText(
            canvas.pick("It closed while I was converting a folder of photos.",
                        QString::fromUtf8("转换一个文件夹的照片时程序关闭了。")));
        canvas.shoot("QFaultPost_filled", &dialog, kBackdrop, 0);
    }
    {
        QFaultPost dialog;
        dialog.sendBox()->click();
        dialog.slotUplaodCompleted(false, 1);
        canvas.shoot("QFaultPost_networkerror", &dialog, kBackdrop, 0);
        dialog.slotUplaodCompleted(false, 502);
        canvas.shoot("QFaultPost_unknownerror", &dialog, kBackdrop, 0);
    }
}
PIXVUE_GALLERY_ENTRY("bugreport", shootBugReportDialog)

}  // namespace
