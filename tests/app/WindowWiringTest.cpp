#include "WindowFixture.h"

#include "dialogs/QLaserSelectionMuch.h"
#include "dialogs/SaveData.h"

#include <QMetaMethod>

using WindowWiring = WindowFixture;

TEST_F(WindowWiring, SignalAndSlotsInTheirDeclaredOrder) {
    const QMetaObject* meta = window.metaObject();
    QStringList methods;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        methods << QString::fromLatin1(meta->method(i).methodSignature());
    }
    EXPECT_EQ(methods,
              QStringList({"sendProgressChangeValue(int)", "view()", "SelectPoints()",
                           "SelectPointsRange()", "CalculateMuch(MuchLidarData)",
                           "onCodeData(QString)", "FinshorStart(bool)", "progressMoved(int)",
                           "progressReleased()", "getSaveDataOkSignal(bool)",
                           "showErrorMessage(QString)", "changeSelectPointRange()"}));
}

TEST_F(WindowWiring, ChanelAndSaveDataOpenTheirWindowsOnce) {
    const struct {
        const char* button;
        QWidget* shown;
    } cases[] = {{"toolButton_3", &window.channelWindow()},
                 {"toolButton_4", &window.saveDataWindow()}};
    const int topLevels = QApplication::topLevelWidgets().size();
    for (const auto& c : cases) {
        EXPECT_TRUE(button(c.button)->isEnabled()) << c.button;
        button(c.button)->click();
        button(c.button)->click();
        EXPECT_TRUE(c.shown->isVisible()) << c.button;
        EXPECT_FALSE(c.shown->isModal()) << c.button;
    }
    EXPECT_EQ(QApplication::topLevelWidgets().size(), topLevels);
    for (const char* name : {"toolButton_select", "toolButton_select_Range"}) {
        EXPECT_TRUE(button(name)->isEnabled()) << name;
    }
}
