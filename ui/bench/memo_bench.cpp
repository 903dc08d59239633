// Pasting a long list of resistor values into the list box and computing
// both results, on the offscreen platform: time against the number of lines.
#include "app/application.h"
#include "frame/errors.h"
#include "frame/exepath.h"
#include "ui/UMain.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

QString List(int lines)
{
    QString text;
    text.reserve(lines * 10);
    for (int i = 0; i < lines; ++i)
        text += QString::number(1000 + i % 9000) + QStringLiteral(".125\n");
    return text;
}

// The paste: the clipboard's text into an empty list box.
void BM_Paste(benchmark::State& state)
{
    zentorix::TFrmMain window;
    auto* memo = window.findChild<QPlainTextEdit*>("Memo");
    QGuiApplication::clipboard()->setText(List(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        memo->clear();
        memo->paste();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Paste)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The click on the compute button: series and parallel over the whole list.
void BM_Compute(benchmark::State& state)
{
    zentorix::TFrmMain window;
    window.findChild<QPlainTextEdit*>("Memo")->setPlainText(List(static_cast<int>(state.range(0))));
    auto* button = window.findChild<QPushButton*>("BtnComputeRs");
    for (auto _ : state)
        button->click();
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetLabel(window.findChild<QLineEdit*>("EditRp")->text().toStdString());
}
BENCHMARK(BM_Compute)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

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
