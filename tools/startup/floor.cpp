// The start-up floor: the fewest lines of Qt Widgets that show the main
// window's controls with its captions (menu bar, status bar, two pages of
// boxes and buttons), with Qt's defaults for everything else.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Zentorix2024电阻计算器2024"));
    window.setFixedSize(805, 465);

    QMenu* file = window.menuBar()->addMenu(QStringLiteral("文件&File"));
    file->addAction(QStringLiteral("退出本软件&Exit"), &window, &QWidget::close);
    QMenu* settings = window.menuBar()->addMenu(QStringLiteral("设置&Set"));
    settings->addAction(QStringLiteral("中文界面&Chinese"))->setCheckable(true);
    settings->addAction(QStringLiteral("英文界面&English"))->setCheckable(true);
    QMenu* help = window.menuBar()->addMenu(QStringLiteral("帮助&Help"));
    for (const char* item :
        {"帮助主题&Content", "访问本软件网站&Web", "手机访问本软件网站&Phone", "关于本软件&About"})
        help->addAction(QString::fromUtf8(item));
    window.statusBar()->addWidget(new QLabel(QStringLiteral("Zentorix")));

    auto* pages = new QTabWidget;
    auto* ohm = new QWidget;
    auto* area = new QGroupBox(QStringLiteral("计算区Computer Area"), ohm);
    area->setGeometry(8, 8, 780, 360);
    const char* quantities[] = {"电阻R(omh)", "电压V(V)", "电流I(A)", "功率Power(W)"};
    const char* buttons[] = {"用V/I计算R  use V/I compute R", "用R/I计算V use R/I compute V",
        "用R/V计算I use R/V compute I", "用V/I计算P use V/I compute P"};
    for (int i = 0; i < 4; ++i) {
        (new QLabel(QString::fromUtf8(quantities[i]), area))->setGeometry(16, 30 + 60 * i, 120, 20);
        (new QLineEdit(QStringLiteral("0"), area))->setGeometry(140, 28 + 60 * i, 200, 24);
        (new QPushButton(QString::fromUtf8(buttons[i]), area))->setGeometry(360, 26 + 60 * i, 260, 28);
    }
    (new QPushButton(QStringLiteral("例子数据 Sample Datas"), area))->setGeometry(360, 290, 260, 28);
    pages->addTab(ohm, QStringLiteral("电阻阻值功率电压电流计算Res PVIR"));

    auto* list = new QWidget;
    (new QLabel(QStringLiteral("各电阻值Resistors values(omh)："), list))->setGeometry(8, 16, 243, 15);
    (new QPlainTextEdit(QStringLiteral("1.0\n2.0\n3.0"), list))->setGeometry(8, 40, 249, 369);
    (new QLabel(QStringLiteral("串联值Series Values(omh)"), list))->setGeometry(280, 40, 200, 20);
    (new QLineEdit(list))->setGeometry(280, 64, 200, 24);
    (new QLabel(QStringLiteral("并联值Parallels Values(omh)"), list))->setGeometry(280, 100, 200, 20);
    (new QLineEdit(list))->setGeometry(280, 124, 200, 24);
    (new QPushButton(QStringLiteral("计算结果 Compute Values"), list))->setGeometry(280, 170, 200, 28);
    pages->addTab(list, QStringLiteral("电阻串并联 Resistors series and parallels "));

    window.setCentralWidget(pages);
    window.show();
    return application.exec();
}
