// The list page with long lists, on the offscreen platform with the window
// shown: a paste timed from the key press until the whole text is in and
// drawn, with the longest time the window went without answering (a 1 ms
// timer that the event loop must turn), and the click on the compute button.
#include "app/application.h"
#include "frame/os/exepath.h"
#include "ui/UMain.h"
#include "ui/listbox.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <sys/resource.h>

namespace {

// `lines` values like "1234.125", one a line, about 10 bytes each.
QString List(int lines)
{
    QString text;
    text.reserve(lines * 10);
    for (int i = 0; i < lines; ++i)
        text += QString::number(1000 + i % 9000) + QStringLiteral(".125\n");
    return text;
}

double PeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The list page in front, with an empty list box.
struct ListPage {
    ListPage()
    {
        window.findChild<QTabWidget*>()->setCurrentIndex(1);
        window.show();
        memo = window.findChild<zentorix::TListBox*>("Memo");
        memo->clear();
        QCoreApplication::processEvents();
    }
    zentorix::TFrmMain window;
    zentorix::TListBox* memo;
};

void Paste(benchmark::State& state, const QString& text)
{
    ListPage page;
    QGuiApplication::clipboard()->setText(text);
    qint64 longestStall = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        qint64 lastTurn = 0;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestStall = std::max(longestStall, clock.elapsed() - lastTurn);
            lastTurn = clock.elapsed();
        });
        ticker.start();
        clock.start();
        page.memo->paste();
        while (page.memo->IsPasting())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        page.memo->repaint();
        longestStall = std::max(longestStall, clock.elapsed() - lastTurn);

        state.PauseTiming();
        if (page.memo->document()->characterCount() != text.size() + 1)
            state.SkipWithError("the paste did not arrive whole");
        page.memo->clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["longest_stall_ms"] = static_cast<double>(longestStall);
    state.counters["peak_MiB"] = PeakMiB();
}

void PasteLines(benchmark::State& state)
{
    Paste(state, List(static_cast<int>(state.range(0))));
}
BENCHMARK(PasteLines)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void PasteOneLine(benchmark::State& state)
{
    Paste(state, QString(state.range(0), QLatin1Char('7')));
}
BENCHMARK(PasteOneLine)
    ->Arg(200000)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The click on the compute button: series and parallel over the whole list.
void Compute(benchmark::State& state)
{
    ListPage page;
    page.memo->setPlainText(List(static_cast<int>(state.range(0))));
    auto* button = page.window.findChild<QPushButton*>("BtnComputeRs");
    for (auto _ : state)
        button->click();
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetLabel(page.window.findChild<QLineEdit*>("EditRp")->text().toStdString());
}
BENCHMARK(Compute)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char folder[] = "/tmp/zentorix-bench-XXXXXX";
    if (mkdtemp(folder) != nullptr)
        zentorix::OverrideExecutablePath(std::string(folder) + "/zentorix");
    zentorix::TApplication application(argv[0]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
