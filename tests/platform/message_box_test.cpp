// The message box stand-in: the real box as the viewer sees it.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/message_box.h"
#include "support/test_support.h"

namespace lxtv::platform {
namespace {

// The real box: the caption and text converted from the code page, its icon, one OK button, and
// the whole application kept waiting while it is open, with no owner window.
TEST(MessageBox, RealBoxShowsCaptionTextAndIcon) {
    struct Seen {
        bool found = false;
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::WindowModality modality = Qt::NonModal;
        bool owned = true;
        int buttons = 0;
    };
    for (const auto icon : {platform::MessageIcon::information, platform::MessageIcon::warning}) {
        Seen seen;
        QTimer poll;
        int tries = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (box == nullptr || !box->isVisible()) continue;
                seen = Seen{true,
                            box->windowTitle(),
                            box->text(),
                            box->icon(),
                            box->windowModality(),
                            box->parentWidget() != nullptr,
                            static_cast<int>(box->buttons().size())};
                box->button(QMessageBox::Ok)->click();
                return;
            }
            if (++tries > 500) QApplication::closeAllWindows();
        });
        poll.start(10);
        platform::showMessageBox(test::gbk("数据同步成功！"), test::gbk("LXTV：温馨提示"), icon);
        poll.stop();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.title, QString::fromUtf8("LXTV：温馨提示"));
        EXPECT_EQ(seen.text, QString::fromUtf8("数据同步成功！"));
        EXPECT_EQ(seen.icon, icon == platform::MessageIcon::warning ? QMessageBox::Warning
                                                                    : QMessageBox::Information);
        EXPECT_EQ(seen.modality, Qt::ApplicationModal);
        EXPECT_FALSE(seen.owned);
        EXPECT_EQ(seen.buttons, 1);
    }
}

}  // namespace
}  // namespace lxtv::platform
