#include "panels/uProbeControlPanel.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

#include "frame/ToolReadings.h"
#include "panels/PanelParts.h"
#include "panels/Palette.h"
#include "sim/uWater.h"

namespace plashbox {

namespace {

QColor Colour(TPixelColor C) { return {C.Red, C.Green, C.Blue}; }

// Each probe's row starts with a swatch of its colour, close to the edge to leave the row room.
constexpr int SwatchLeft = 5;

// The small type of the readings, so that the longest fit their lines.
void MakeSmall(QLabel& Label) {
  QFont small = Label.font();
  small.setPointSize(7);
  Label.setFont(small);
}

QLabel* MakeTitle(QWidget* Parent, const QString& Text) {
  QLabel* title = MakePanelLabel(Parent, Text, QRect(7, 3, 160, 16), Qt::AlignLeft);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  return title;
}

// The graph's white ground with its frame and its middle line.
void PaintGround(QPainter& P, const QRect& Graph) {
  P.fillRect(Graph, Qt::white);
  P.setPen(QPen(Silver, 1));
  P.drawRect(Graph.adjusted(0, 0, -1, -1));
}

// Values from the left edge of Graph to the right, one per pixel column at most, scaled so
// that Top reaches the graph's top; Zero is the row of 0.
void PaintCurve(QPainter& P, const QRect& Graph, const std::vector<float>& Values, double Top, double ZeroRow,
                const QColor& Ink) {
  if (Values.size() < 2 || !(Top > 0)) return;
  QPainterPath path;
  const double dx = double(Graph.width() - 3) / double(Values.size() - 1);
  const double scale = (ZeroRow - (Graph.top() + 2)) / Top;
  for (size_t i = 0; i < Values.size(); ++i) {
    const QPointF at(Graph.left() + 1 + dx * double(i), ZeroRow - scale * double(Values[i]));
    i == 0 ? path.moveTo(at) : path.lineTo(at);
  }
  P.setPen(QPen(Ink, 1.2));
  P.drawPath(path);
}

}  // namespace

TProbeCP::TProbeCP(QWidget* Parent) : QFrame(Parent) {
  setFixedSize(177, 152);
  FillBackground(*this, PanelColour);
  MakeTitle(this, "Probes");
  const int rowsTop = GraphRect().bottom() + 4;
  for (int i = 0; i < MaxProbes; ++i) {
    QLabel* row = MakePanelLabel(this, "", QRect(SwatchLeft + 10, rowsTop + 13 * i, 161, 13), Qt::AlignLeft);
    row->setObjectName(QString("reading%1").arg(i));
    MakeSmall(*row);
    SetTextColour(*row, Ink);
    Rows[size_t(i)] = row;
  }
  // The phases of three probes against the first take two lines.
  const int phaseTop = rowsTop + 13 * MaxProbes;
  Phase = MakePanelLabel(this, "", QRect(9, phaseTop, 164, height() - 1 - phaseTop), Qt::AlignLeft);
  Phase->setObjectName("phase");
  MakeSmall(*Phase);
  Phase->setWordWrap(true);
}

TProbeCP::~TProbeCP() = default;

void TProbeCP::Bind(TProbe& Probe) {
  FProbe = &Probe;
  Refresh(StepsPerSecond(SimulationSpeeds[NormalSpeed]));
}

void TProbeCP::Refresh(double Rate) {
  auto* water = FProbe && FProbe->GetParentNode() ? dynamic_cast<TWater*>(FProbe->GetParentNode()->AsObject()) : nullptr;
  const TProbeReport report = water ? ReadProbes(*water, Rate) : TProbeReport{};
  for (size_t i = 0; i < Rows.size(); ++i)
    Rows[i]->setText(i < report.Probes.size() ? QString::fromStdString(ProbeReadingText(report.Probes[i])) : "");
  Phase->setText(QString::fromStdString(PhaseText(report)));
  update();
}

QString TProbeCP::RowText(int I) const { return I >= 0 && I < MaxProbes ? Rows[size_t(I)]->text() : QString(); }
QString TProbeCP::PhaseLine() const { return Phase->text(); }

void TProbeCP::paintEvent(QPaintEvent* Event) {
  QFrame::paintEvent(Event);
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRect graph = GraphRect();
  PaintGround(p, graph);
  const double zero = graph.top() + graph.height() / 2.0;
  p.setPen(QPen(Silver, 1, Qt::DotLine));
  p.drawLine(QPointF(graph.left() + 1, zero), QPointF(graph.right() - 1, zero));
  TBasicXMLNode* water = FProbe && FProbe->GetParentNode() ? FProbe->GetParentNode()->AsObject() : nullptr;
  if (!water) return;
  // One scale for all, so the amplitudes compare.
  std::vector<std::vector<float>> traces;
  std::vector<QColor> inks;
  double top = 0;
  for (const TProbe* probe : ChildrenOf<TProbe>(*water)) {
    std::vector<float> trace(static_cast<size_t>(ProbeGraphSteps));
    trace.resize(size_t(probe->CopyTrace(trace, ProbeGraphSteps)));
    for (const float v : trace) top = std::max(top, std::abs(double(v)));
    traces.push_back(std::move(trace));
    inks.push_back(Colour(ProbeColours[probe->GetColourIndex()]));
  }
  for (size_t i = 0; i < traces.size(); ++i) {
    PaintCurve(p, graph, traces[i], top, zero, inks[i]);
    // The row's swatch in the probe's colour.
    if (i < Rows.size()) p.fillRect(QRect(SwatchLeft, Rows[i]->y() + 3, 8, 8), inks[i]);
  }
}

TIntensityScreenCP::TIntensityScreenCP(QWidget* Parent) : QFrame(Parent) {
  setFixedSize(177, 152);
  FillBackground(*this, PanelColour);
  MakeTitle(this, "Screen intensity");
  // Three lines below the graph: the longest list of maxima wraps into them.
  const int top = GraphRect().bottom() + 3;
  Maxima = MakePanelLabel(this, "", QRect(7, top, 165, height() - 1 - top), Qt::AlignLeft);
  Maxima->setObjectName("maxima");
  MakeSmall(*Maxima);
  Maxima->setWordWrap(true);
}

TIntensityScreenCP::~TIntensityScreenCP() = default;

void TIntensityScreenCP::Bind(TIntensityScreen& Screen) {
  FScreen = &Screen;
  Refresh(0);
}

void TIntensityScreenCP::Refresh(double) {
  if (!FScreen) return;
  Maxima->setText(QString::fromStdString(ScreenReadingText(*FScreen)));
  update();
}

QString TIntensityScreenCP::MaximaLine() const { return Maxima->text(); }

void TIntensityScreenCP::paintEvent(QPaintEvent* Event) {
  QFrame::paintEvent(Event);
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRect graph = GraphRect();
  PaintGround(p, graph);
  if (!FScreen) return;
  const std::span<const float> profile = FScreen->Profile();
  const std::vector<float> values(profile.begin(), profile.end());
  const double top = values.empty() ? 0 : *std::max_element(values.begin(), values.end());
  const double bottom = graph.bottom() - 1;
  PaintCurve(p, graph, values, top, bottom, Colour(TPixelColor::FromRGB(200, 150, 0)));
  // A tick under every maximum.
  if (values.size() < 2 || !(top > 0)) return;
  const double dx = double(graph.width() - 3) / double(values.size() - 1);
  p.setPen(QPen(Ink, 1));
  for (const TProfileMaximum& at : FScreen->ProfileMaxima()) {
    const double x = graph.left() + 1 + dx * at.At;
    p.drawLine(QPointF(x, bottom - 4), QPointF(x, bottom));
  }
}

}  // namespace plashbox
