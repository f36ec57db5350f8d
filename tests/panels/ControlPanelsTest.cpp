// The tank objects' control panels on Qt's offscreen platform: bindings, value mappings,
// layouts and the buttons that release each other.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/QtTestApplication.h"
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <cmath>
#include <memory>

#include "objects/uBlockRIMapper.h"
#include "objects/uGeneralExciter.h"
#include "panels/ControlPanels.h"
#include "panels/SpeedButton.h"
#include "panels/CustomTrackBar.h"
#include "panels/uBaseExciterControlPanel.h"
#include "panels/uControlPanelRefractiveIndex.h"
#include "panels/uGeneralExciterControlPanel.h"
#include "frame/ToolReadings.h"
#include "panels/uProbeControlPanel.h"
#include "sim/uWater.h"
#include "xmlworker/XMLProperties.h"

using namespace plashbox;

namespace {

const auto* const Environment = plashbox::tests::InstallQtTestApplication(RegisterControlPanels);

struct TExciterPanel {
  TRef<TGeneralExciter> Source = NewNode<TGeneralExciter>();
  TGeneralExciterCP Panel;
  explicit TExciterPanel(float Wavelength = 50) {
    Source->SetWavelength(Wavelength);
    Panel.Bind(*Source);
  }
};

TEST(GeneralExciterCP, BindingAtTheBarsPositionLeavesTheLabels) {
  TExciterPanel p(50);
  EXPECT_EQ(p.Panel.WavelengthLabel->text(), "0");
  EXPECT_EQ(p.Panel.FrequencyLabel->text(), "0");
  EXPECT_EQ(p.Panel.WavelengthBar->value(), 50);
  EXPECT_EQ(p.Panel.Exciter(), p.Source.get());
  EXPECT_EQ(p.Panel.size(), QSize(175, 200));

  TExciterPanel q(20);
  EXPECT_EQ(q.Panel.WavelengthBar->value(), 20);
  EXPECT_EQ(q.Panel.FrequencyBar->value(), 22) << "7.071 / (20 x 0.016) = 22.1";
  EXPECT_EQ(q.Panel.WavelengthLabel->text(), "20.0mm");
  EXPECT_EQ(q.Panel.FrequencyLabel->text(), "2.21Hz");
  EXPECT_FLOAT_EQ(q.Source->GetWavelength(), 20.0f) << "binding writes nothing back";
}

TEST(GeneralExciterCP, TheTwoBarsMoveEachOther) {
  TExciterPanel p(50);
  p.Panel.SetUseFrequency(true);
  EXPECT_TRUE(p.Source->UseFreq);
  EXPECT_TRUE(p.Panel.WavelengthBar->isHidden());
  EXPECT_FALSE(p.Panel.FrequencyBar->isHidden());
  EXPECT_EQ(p.Source->GetWavelength(), 50.0f) << "the switch leaves the wave";
  EXPECT_EQ(p.Panel.FrequencyBar->value(), 9) << "the bar stands where the wavelength puts it";
  p.Panel.FrequencyBar->setValue(10);
  p.Panel.FrequencyBar->setValue(9);
  EXPECT_NEAR(p.Source->GetWavelength(), 7.071 / 0.144, 1e-3);
  EXPECT_EQ(p.Panel.WavelengthBar->value(), 49);
  EXPECT_NEAR(p.Source->GetWavelength(), 49.104, 1e-3) << "no second change from the wavelength bar";
  p.Panel.FrequencyBar->setValue(88);
  EXPECT_NEAR(p.Source->GetWavelength(), 5.022, 1e-3);
  EXPECT_EQ(p.Panel.WavelengthBar->value(), 5);

  p.Panel.SetUseFrequency(false);
  EXPECT_FALSE(p.Panel.WavelengthBar->isHidden());
  p.Panel.WavelengthBar->setValue(6);
  p.Panel.WavelengthBar->setValue(5);
  EXPECT_EQ(p.Panel.FrequencyBar->value(), 88);
  EXPECT_EQ(p.Panel.WavelengthLabel->text(), "5.0mm");
  EXPECT_EQ(p.Panel.FrequencyLabel->text(), "8.84Hz");
}

TEST(GeneralExciterCP, LayoutsFollowTheBeamType) {
  TExciterPanel p;
  const auto shown = [&](QWidget* w) { return !w->isHidden(); };
  QAction* doubleItem = p.Panel.MenuItems[3];
  doubleItem->trigger();
  EXPECT_EQ(p.Source->BeamType, btDouble);
  EXPECT_EQ(p.Panel.BeamTypeButton->Caption(), "Double Source");
  EXPECT_TRUE(shown(p.Panel.DetuneSlider) && shown(p.Panel.DetuneNameLabel) && shown(p.Panel.DetuneAmountLabel));
  EXPECT_FALSE(shown(p.Panel.MachSlider) || shown(p.Panel.MachLabel) || shown(p.Panel.DopplerReset) ||
               shown(p.Panel.HarmonicsButton));
  p.Panel.MenuItems[4]->trigger();
  EXPECT_EQ(p.Panel.BeamTypeButton->Caption(), "Doppler Source");
  EXPECT_TRUE(shown(p.Panel.MachSlider) && shown(p.Panel.MachLabel) && shown(p.Panel.DopplerReset) &&
              shown(p.Panel.HarmonicsButton));
  EXPECT_FALSE(shown(p.Panel.DetuneSlider) || shown(p.Panel.DetuneNameLabel));
  p.Panel.MenuItems[0]->trigger();
  EXPECT_FALSE(shown(p.Panel.MachSlider) || shown(p.Panel.DetuneSlider));
  EXPECT_EQ(p.Panel.BeamTypeButton->Caption(), "Point Source");

  p.Panel.ShowBeamType(9);  // only stored
  EXPECT_EQ(p.Panel.BeamType(), 9);
  EXPECT_EQ(p.Panel.BeamTypeButton->Caption(), "Point Source");
}

TEST(GeneralExciterCP, ATypeChangedElsewhereShowsWithinTheTimerPeriod) {
  TExciterPanel p;
  p.Source->SetBeamType(btDoppler);
  QTest::qWait(260);
  EXPECT_EQ(p.Panel.BeamType(), btDoppler);
  EXPECT_EQ(p.Panel.BeamTypeButton->Caption(), "Doppler Source");
}

// A panel shows the source's values as they are and writes one only when the user moves its
// slider: opening a slide never changes the physics.
TEST(GeneralExciterCP, BindingShowsValuesBetweenStepsAndWritesNothing) {
  const TRef<TGeneralExciter> source = NewNode<TGeneralExciter>();
  source->DopplerSpeed = 0;
  source->Detune = 1.15f;
  TGeneralExciterCP panel;
  panel.Bind(*source);
  EXPECT_EQ(source->DopplerSpeed, 0.0f) << "below the slider's lowest step, kept";
  EXPECT_EQ(source->Detune, 1.15f);
  EXPECT_EQ(panel.DetuneSlider->value(), 11) << "the nearest step (1.15 is a little less as a float)";
  EXPECT_EQ(panel.DetuneAmountLabel->text(), "1.15x");
  EXPECT_EQ(panel.MachLabel->text(), "Mach 0.0");
  panel.SetDetune(1.26f);
  EXPECT_EQ(source->Detune, 1.15f) << "showing a value writes nothing";
  panel.DetuneSlider->setValue(14);
  EXPECT_FLOAT_EQ(source->Detune, 1.4f) << "the user's move writes its step";
  EXPECT_EQ(panel.DetuneAmountLabel->text(), "1.4x");
  panel.MachSlider->setValue(6);
  EXPECT_EQ(panel.MachLabel->text(), "Mach 0.6");
  panel.MachSlider->setValue(14);
  EXPECT_EQ(panel.MachLabel->text(), "Mach 1.4") << "the label shows the speed the source runs at";
  EXPECT_FLOAT_EQ(source->DopplerSpeed, 1.4f);
  panel.DetuneSlider->setValue(10);
  EXPECT_EQ(panel.DetuneAmountLabel->text(), "1.0x");

  panel.SetHarmonics(true);
  EXPECT_FALSE(source->Harmonics) << "setting the button from code fires nothing";
  QTest::mouseClick(panel.HarmonicsButton, Qt::LeftButton);
  EXPECT_FALSE(source->Harmonics) << "hidden outside the Doppler layout: no click lands";
  panel.MenuItems[4]->trigger();
  panel.show();
  QTest::mouseClick(panel.HarmonicsButton, Qt::LeftButton);
  EXPECT_EQ(source->Harmonics, panel.HarmonicsButton->Down());
}

TEST(GeneralExciterCP, PowerAndPulseReleaseEachOther) {
  TExciterPanel p;
  p.Panel.show();
  p.Source->SetON(true);
  p.Panel.PowerButton->SetDown(true);
  QTest::mouseClick(p.Panel.OneWave, Qt::LeftButton);
  EXPECT_TRUE(p.Panel.OneWave->Down());
  EXPECT_TRUE(p.Source->OneShot);
  EXPECT_FALSE(p.Panel.PowerButton->Down());
  EXPECT_TRUE(p.Panel.Timer1.isActive());

  QTest::mouseClick(p.Panel.PowerButton, Qt::LeftButton);
  EXPECT_TRUE(p.Panel.PowerButton->Down());
  EXPECT_FALSE(p.Panel.OneWave->Down());
  EXPECT_FALSE(p.Source->OneShot) << "the pulse ends";
  EXPECT_TRUE(p.Source->ON);
  QTest::mouseClick(p.Panel.PowerButton, Qt::LeftButton);
  EXPECT_TRUE(p.Source->IsRampingDown()) << "switched off, the source fades out";

  // The pulse button springs back when the source's burst has ended.
  QTest::mouseClick(p.Panel.OneWave, Qt::LeftButton);
  ASSERT_TRUE(p.Panel.OneWave->Down());
  p.Source->SetOneShot(false);
  p.Panel.Timer1Timer();
  EXPECT_FALSE(p.Panel.OneWave->Down());
  EXPECT_FALSE(p.Panel.Timer1.isActive());
}

TEST(RefractiveIndexCP, BindingShowsTheMapsOwnIndexAndTheNearestStep) {
  const TRef<TBlockRIMapper> map = NewNode<TBlockRIMapper>();
  map->SetN(1);
  TRefractiveIndexCP panel;
  panel.Bind(*map);
  EXPECT_EQ(panel.RfIndex->value(), 0);
  EXPECT_EQ(map->GetN(), 1.0f);
  EXPECT_EQ(panel.RefractiveIndexLabel->text(), "1.00");
  EXPECT_EQ(panel.size(), QSize(177, 90));

  map->SetN(0.5f);
  TRefractiveIndexCP half;
  half.Bind(*map);
  EXPECT_EQ(half.RfIndex->value(), 6) << "5.5 goes to the even neighbour";
  EXPECT_EQ(GetPublishedValue(*map, "n"), "0.5") << "binding writes nothing back";
  EXPECT_EQ(half.RefractiveIndexLabel->text(), "1.41") << "the map's own index, between two steps";

  // The total internal reflection slide's glass: n 0.3, index 1.83, stays so.
  map->SetN(0.3f);
  TRefractiveIndexCP dense;
  dense.Bind(*map);
  EXPECT_EQ(map->GetN(), 0.3f);
  EXPECT_EQ(dense.RefractiveIndexLabel->text(), "1.83");

  half.RfIndex->setValue(5);
  EXPECT_FLOAT_EQ(map->GetN(), float(1 - 5 / 11.0));
  EXPECT_EQ(half.RefractiveIndexLabel->text(), "1.35");
  half.RfIndex->setValue(10);
  EXPECT_EQ(half.RefractiveIndexLabel->text(), "3.32");
}

TEST(ControlPanels, ObjectsHandOutTheirPanels) {
  const TRef<TGeneralExciter> source = NewNode<TGeneralExciter>();
  std::unique_ptr<TControlPanel> panel = source->CreateControlPanel();
  auto* exciterPanel = dynamic_cast<TGeneralExciterCP*>(panel.get());
  ASSERT_NE(exciterPanel, nullptr);
  EXPECT_EQ(exciterPanel->Exciter(), source.get());

  const TRef<TBlockRIMapper> block = NewNode<TBlockRIMapper>();
  panel = block->CreateControlPanel();
  auto* indexPanel = dynamic_cast<TRefractiveIndexCP*>(panel.get());
  ASSERT_NE(indexPanel, nullptr);
  EXPECT_EQ(indexPanel->RfIndex->value(), 5) << "n 0.5454 is step 5";

  const TRef<TBaseExciter> plain = NewNode<TBaseExciter>();
  panel = plain->CreateControlPanel();
  EXPECT_NE(dynamic_cast<TBaseExciterCP*>(panel.get()), nullptr);

  const TRef<TProbe> probe = NewNode<TProbe>();
  EXPECT_NE(dynamic_cast<TProbeCP*>(probe->CreateControlPanel().get()), nullptr);
  const TRef<TIntensityScreen> screen = NewNode<TIntensityScreen>();
  EXPECT_NE(dynamic_cast<TIntensityScreenCP*>(screen->CreateControlPanel().get()), nullptr);
}

// The probes' panel lists every probe of its probe's water in child order, and nothing once the
// probe has left the water; the screen's says when its water keeps no intensity.
TEST(ProbeCP, RowsFollowTheWatersProbes) {
  const TRef<TWater> water = NewNode<TWater>();
  water->SetGridSize(60, 60);
  const TRef<TProbe> first = NewNode<TProbe>(), second = NewNode<TProbe>();
  water->add(first.get());
  water->add(second.get());
  second->SetColourIndex(3);
  second->SetX1Percent(20);
  // A sine of 20 steps at the first probe's cell, nothing at the second's.
  for (int step = 0; step < 200; ++step) {
    (*water->Cells())[first->X1][first->Y1].Displacement = static_cast<float>(0.5 * std::sin(step * 3.14159265358979 / 10));
    first->SampleWater();
    second->SampleWater();
  }
  TProbeCP panel;
  panel.Bind(*second);
  panel.Refresh(50);
  EXPECT_EQ(panel.RowText(0), "20.0 steps, 2.50 Hz, p-p 1");
  EXPECT_EQ(panel.RowText(1), "- steps, - Hz, p-p 0");
  EXPECT_EQ(panel.RowText(2), "");
  EXPECT_EQ(panel.PhaseLine(), "");
  panel.grab();  // paints both traces
  water->Remove(second.get());
  panel.Refresh(62.5);
  EXPECT_EQ(panel.RowText(0), "");

  const TRef<TIntensityScreen> screen = NewNode<TIntensityScreen>();
  water->add(screen.get());
  TIntensityScreenCP screenPanel;
  EXPECT_EQ(screenPanel.MaximaLine(), "");
  screenPanel.Bind(*screen);
  EXPECT_EQ(screenPanel.MaximaLine(), water->KeepsIntensity() ? "no maxima yet" : "no intensity kept yet");
  screenPanel.grab();
}

// Whether Text, in Label's font and its wrapping, fits the label's box.
bool Fits(const QLabel& Label, const std::string& Text) {
  const int flags = int(Label.alignment()) | (Label.wordWrap() ? int(Qt::TextWordWrap) : 0);
  const QRect needed = Label.fontMetrics().boundingRect(Label.contentsRect(), flags, QString::fromStdString(Text));
  return needed.width() <= Label.contentsRect().width() && needed.height() <= Label.contentsRect().height();
}

// Fringes every 16 cells along y, each brighter than the one before.
class TFringeHost : public TXMLNode, public TIntensityHost {
 public:
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TFringeHost>("TFringeHost", &TXMLNode::StaticClass());
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
  float IntensityAt(int32_t, int32_t y) const override {
    return static_cast<float>((1 + y / 2000.0) * std::pow(std::cos(3.14159265358979 * (y - 20) / 16), 2));
  }
  bool KeepsIntensity() const override { return true; }
};

// The longest readings of the probes and the screen fit their lines: nothing is cut off.
TEST(ProbeCP, TheLongestReadingsFitTheirLines) {
  TProbeCP panel;
  TProbeReading reading;
  reading.Measure.Valid = true;
  // Waves 70 cells long at 8x; a probe far out.
  reading.Measure.PeriodSteps = 99.9;
  reading.Hertz = 17.86;
  reading.PeakToPeak = 0.000888;
  const std::string steady = ProbeReadingText(reading);
  reading.Measure.Beats = true;
  reading.BeatHertz = 2.62;
  reading.PeakToPeak = 0.0888;
  const std::string beating = ProbeReadingText(reading);
  const auto* row = panel.findChild<QLabel*>("reading3");
  ASSERT_NE(row, nullptr);
  EXPECT_TRUE(Fits(*row, steady)) << steady;
  EXPECT_TRUE(Fits(*row, beating)) << beating;
  const TProbeReport report{std::vector<TProbeReading>(4, reading), 0, {{1, -178}, {2, -178}, {3, -178}}};
  const std::string phases = PhaseText(report);
  const auto* phase = panel.findChild<QLabel*>("phase");
  ASSERT_NE(phase, nullptr);
  EXPECT_GE(phase->y(), row->geometry().bottom()) << "under the last row";
  EXPECT_TRUE(Fits(*phase, phases)) << phases;
  EXPECT_TRUE(Fits(*phase, "no phase: the frequencies differ"));

  // A screen 1,600 cells long across a hundred fringes.
  const TRef<TFringeHost> host = NewNode<TFringeHost>();
  const TRef<TIntensityScreen> screen = NewNode<TIntensityScreen>();
  host->add(screen.get());
  const auto cells = std::make_shared<TWaterGrid>(3, 1701);
  screen->AttachGrid(cells, 3, 1701);
  screen->X1 = screen->X2 = 1;
  screen->Y1 = 20;
  screen->Y2 = 1620;
  screen->GeometryChanged();
  screen->SampleWater();
  TIntensityScreenCP screenPanel;
  screenPanel.Bind(*screen);
  const std::string maxima = MaximaText(*screen);
  EXPECT_EQ(maxima, "maxima at 1520, 1536, 1552, 1568, 1584 cells and 94 weaker");
  const auto* line = screenPanel.findChild<QLabel*>("maxima");
  ASSERT_NE(line, nullptr);
  EXPECT_TRUE(Fits(*line, maxima)) << maxima;
  host->Remove(screen.get());
}

TEST(BaseExciterCP, EditsByPropertyName) {
  const TRef<TBaseExciter> source = NewNode<TBaseExciter>();
  source->SetWavelength(40.4f);
  source->SetON(true);
  TBaseExciterCP panel;
  panel.Bind(*source);
  EXPECT_TRUE(panel.PowerButton->Down());
  EXPECT_FALSE(panel.OneWave->isEnabled());
  EXPECT_EQ(panel.WavelengthBar->value(), 40);
  EXPECT_EQ(panel.WavelengthLabel->text(), "40");
  EXPECT_FLOAT_EQ(source->GetWavelength(), 40.0f) << "the rounded wavelength is written back";
  panel.show();
  QTest::mouseClick(panel.PowerButton, Qt::LeftButton);
  EXPECT_TRUE(source->IsRampingDown()) << "switched off, the source fades out";
  EXPECT_TRUE(panel.OneWave->isEnabled());
  panel.OneWave->click();
  EXPECT_TRUE(source->OneShot);
}

// A panel bound to nothing (its object gone, or not yet given) takes every click and slide
// without touching anything.
TEST(ControlPanels, UnboundPanelsIgnoreEveryControl) {
  TGeneralExciterCP source;
  source.show();
  for (TCustomSpeedButton* b : {source.PowerButton, source.OneWave, source.DopplerReset, source.CustomSpeedButton1,
                                source.HarmonicsButton, source.PowerButton, source.OneWave}) {
    b->show();
    QTest::mouseClick(b, Qt::LeftButton);
  }
  for (QSlider* bar : std::initializer_list<QSlider*>{source.WavelengthBar, source.FrequencyBar, source.MachSlider,
                                                      source.DetuneSlider})
    bar->setValue(bar->minimum());
  source.Timer1Timer();
  source.Timer2Timer();
  EXPECT_EQ(source.Exciter(), nullptr);
  EXPECT_TRUE(source.FrequencyBar->isHidden()) << "without a source the mode button swaps nothing";
  EXPECT_EQ(source.WavelengthLabel->text(), "0");
  EXPECT_EQ(source.FrequencyLabel->text(), "0");

  TBaseExciterCP plain;
  plain.show();
  QTest::mouseClick(plain.PowerButton, Qt::LeftButton);
  QTest::mouseClick(plain.OneWave, Qt::LeftButton);
  plain.WavelengthBar->setValue(plain.WavelengthBar->minimum());
  EXPECT_EQ(plain.Control(), nullptr);

  TRefractiveIndexCP index;
  index.RfIndex->setValue(index.RfIndex->maximum());
  index.RfIndex->setValue(index.RfIndex->minimum());
}

TEST(GeneralExciterCP, TheFrequencyModeSurvivesANewPanelAndNeverChangesTheWave) {
  TExciterPanel p(25);
  p.Panel.SetUseFrequency(true);
  EXPECT_EQ(p.Source->GetWavelength(), 25.0f) << "switching only changes what is shown";
  p.Panel.SetUseFrequency(false);
  EXPECT_EQ(p.Source->GetWavelength(), 25.0f);
  // A panel made for a source in frequency mode (a rebuild, or a scene saved so) shows it, and
  // the first click on the swap button goes back to the wavelength.
  p.Source->UseFreq = true;
  TGeneralExciterCP rebuilt;
  rebuilt.Bind(*p.Source);
  EXPECT_FALSE(rebuilt.FrequencyBar->isHidden());
  EXPECT_TRUE(rebuilt.WavelengthBar->isHidden());
  rebuilt.show();
  QTest::mouseClick(rebuilt.CustomSpeedButton1, Qt::LeftButton);
  EXPECT_FALSE(p.Source->UseFreq);
  EXPECT_FALSE(rebuilt.WavelengthBar->isHidden());
  EXPECT_EQ(p.Source->GetWavelength(), 25.0f);
}

TEST(GeneralExciterCP, ChoosingTheMovingSourceSetsItOff) {
  TExciterPanel p;
  auto grid = std::make_shared<TWaterGrid>(401, 401);
  p.Source->AttachGrid(grid, 401, 401);
  p.Panel.MenuItems[btDoppler]->trigger();
  EXPECT_EQ(p.Source->BeamType, btDoppler);
  EXPECT_LT(p.Source->DopplerX, float(p.Source->X1) - 100) << "it starts on the left, away from its target";
  EXPECT_FALSE(p.Panel.DopplerReset->toolTip().isEmpty());
}

}  // namespace
