// A full run of 20,000 generated objects of 40 properties into the results table,
// once with the table visible and once hidden, on the offscreen platform. The ratio
// of the two shows what drawing the growing table costs.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <cstdlib>

#include "app/ApplicationErrors.h"
#include "app/Memo.h"
#include "app/RadioGroup.h"
#include "app/StringGrid.h"
#include "app/VeskinUnit.h"
#include "tests/support/GeneratedObjects.h"
#include "tests/support/ScriptedWmi.h"

namespace {

using namespace veskin;

const int Objects = std::getenv("VESKIN_BENCH_OBJECTS") ? std::atoi(std::getenv("VESKIN_BENCH_OBJECTS")) : 20000;
constexpr int Properties = 40;

void RunQuery(benchmark::State& state, bool visible) {
    ScriptedWmi wmi;
    AddGeneratedClass(wmi, u"root\\cimv2", u"Bench_Item", Objects, Properties);
    TForm1 form;
    form.show();
    QApplication::processEvents();
    form.QueryRadioGroup->SetItemIndex(6);
    form.QueryMemo->setPlainText("SELECT * FROM Bench_Item");
    for (auto _ : state) {
        if (!visible)
            form.ShowCheckBox->setChecked(false);  // as unticking it at the first record does
        form.TestButtonClick(nullptr);
        if (form.ResultCountLabel->text().toInt() != Objects || form.Grid->RowCount() != Objects + 1)
            state.SkipWithError("the run did not copy every object");
    }
    state.SetItemsProcessed(state.iterations() * Objects);
}

void BM_RunVisibleTable(benchmark::State& state) { RunQuery(state, true); }
void BM_RunHiddenTable(benchmark::State& state) { RunQuery(state, false); }

BENCHMARK(BM_RunVisibleTable)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RunHiddenTable)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Settings go to a throw-away folder so the benchmark leaves the user's alone.
    char folder[] = "/tmp/veskin-bench-XXXXXX";
    if (::mkdtemp(folder))
        ::setenv("XDG_CONFIG_HOME", folder, 1);
    QApplication application(argc, argv);
    veskin::SetErrorBoxHook([](const std::string&, const std::string& message) {
        std::fprintf(stderr, "error box: %s\n", message.c_str());
    });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
