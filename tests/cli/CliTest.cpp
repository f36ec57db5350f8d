// plashbox-cli end to end: the picture is a pure function of the options, event scripts reach
// the objects, and every error exits with status 2 and writes nothing.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/PictureReaders.h"

namespace fs = std::filesystem;

namespace {

struct TRun {
  int Status;
  std::string Output;  // stdout and stderr together
};

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("plashbox-cli-test-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  TRun Run(const std::string& Arguments) {
    const std::string command = std::string(PLASHBOX_CLI) + " " + Arguments + " 2>&1";
    TRun run{-1, {}};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.Output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  }

  std::string Path(const std::string& Name) const { return (Dir / Name).string(); }

  static std::string Read(const std::string& File) {
    std::ifstream in(File, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // The pixel (R, G, B) at column X of screen row Y (from the top) of a 401-wide PPM.
  static std::string Pixel(const std::string& Ppm, int X, int Y, int W = 401) {
    const size_t header = Ppm.find("255\n") + 4;
    return Ppm.substr(header + (size_t(Y) * W + X) * 3, 3);
  }

  fs::path Dir;
};

TEST_F(Cli, ZeroStepsLeavesTheSurfaceBlack) {
  const TRun run = Run("--steps 0 --frame " + Path("f.ppm") + " --cells " + Path("c.raw"));
  ASSERT_EQ(run.Status, 0) << run.Output;
  const std::string ppm = Read(Path("f.ppm"));
  ASSERT_EQ(ppm.substr(0, 15), "P6\n401 401\n255\n");
  ASSERT_EQ(ppm.size(), 15 + 401u * 401 * 3);
  EXPECT_EQ(ppm.find_first_not_of('\0', 15), std::string::npos);
  EXPECT_EQ(Read(Path("c.raw")).size(), 401u * 401 * 16);
}

TEST_F(Cli, ThePictureIsAPureFunctionOfTheOptions) {
  ASSERT_EQ(Run("--steps 60 --seed 1 --frame " + Path("a.ppm")).Status, 0);
  ASSERT_EQ(Run("--steps 60 --seed 99 --frame " + Path("b.ppm")).Status, 0);
  const std::string a = Read(Path("a.ppm"));
  EXPECT_TRUE(a == Read(Path("b.ppm"))) << "object IDs do not show in the picture";
  EXPECT_EQ(Pixel(a, 300, 20), std::string(3, char(128))) << "still open water";
  ASSERT_EQ(Run("--steps 60 --size 250x120 --set TGeneralExciter.BeamType=0 --frame " + Path("c.ppm")).Status, 0);
  EXPECT_EQ(Read(Path("c.ppm")).substr(0, 15), "P6\n250 120\n255\n");
}

TEST_F(Cli, AnEventScriptDragsTheBlock) {
  // Handle 2 of the default block is at (280, 200); drag it up and to the right, then let go.
  const std::string events =
      " --event 10:down:280,200 --event 11:move:330,120 --event 20:up:330,120 --frame " + Path("dragged.ppm");
  ASSERT_EQ(Run("--steps 20" + events).Status, 0);
  ASSERT_EQ(Run("--steps 20 --frame " + Path("still.ppm")).Status, 0);
  const std::string dragged = Read(Path("dragged.ppm")), still = Read(Path("still.ppm"));
  // The turned block covers the upper right, where the upright one does not reach.
  EXPECT_EQ(Pixel(still, 320, 130), std::string(3, char(128)));
  EXPECT_NE(Pixel(dragged, 320, 130), std::string(3, char(128)));
  EXPECT_TRUE(dragged != still);
}

TEST_F(Cli, ADripRingsTheWater) {
  ASSERT_EQ(Run("--steps 30 --event 2:down:300,60,right,drip --event 6:up:300,60 --frame " + Path("d.ppm") +
                " --cells " + Path("d.raw"))
                .Status,
            0);
  const std::string ppm = Read(Path("d.ppm"));
  EXPECT_NE(Pixel(ppm, 300, 60), std::string(3, char(128))) << "the drip's rings are there";
  ASSERT_EQ(Run("--steps 30 --event 2:down:300,60,left --event 6:up:300,60 --frame " + Path("n.ppm")).Status, 0);
  EXPECT_EQ(Pixel(Read(Path("n.ppm")), 300, 60), std::string(3, char(128))) << "without drip the press only selects";
}

// The README's index of a point in the cell and intensity dumps: x outer, rows bottom-up.
TEST_F(Cli, TheDumpsIndexAPointFromTheBottomRow) {
  constexpr size_t W = 301, H = 211, X = 250, Y = 40;
  ASSERT_EQ(Run("--size 301x211 --steps 4 --event 1:down:250,40,right,drip --cells " + Path("c.raw") +
                " --intensity " + Path("i.raw") + " --average-from 4")
                .Status,
            0);
  const auto floats = [](const std::string& Bytes) {
    std::vector<float> values(Bytes.size() / sizeof(float));
    std::memcpy(values.data(), Bytes.data(), values.size() * sizeof(float));
    return values;
  };
  const std::vector<float> cells = floats(Read(Path("c.raw"))), intensity = floats(Read(Path("i.raw")));
  ASSERT_EQ(cells.size(), W * H * 4);
  ASSERT_EQ(intensity.size(), W * H);
  // The held drip pins the cell under the pointer highest of all.
  size_t highest = 0;
  for (size_t i = 0; i < W * H; ++i)
    if (cells[i * 4] > cells[highest * 4]) highest = i;
  EXPECT_EQ(highest, X * H + (H - 1 - Y));
  EXPECT_EQ(intensity[X * H + (H - 1 - Y)], cells[highest * 4] * cells[highest * 4]);
}

TEST_F(Cli, ErrorsExitWithTwoAndWriteNothing) {
  const std::string frame = " --frame " + Path("never.ppm");
  for (const std::string& bad : {
           std::string("--bogus"), std::string("--steps -1"), std::string("--steps x"), std::string("--size 401"),
           std::string("--size 5x5"), std::string("--set TNoSuchClass.X=1"), std::string("--set TWater.NoSuchProp=1"),
           std::string("--set TBlockRIMapper.n=abc"), std::string("--set nodot"), std::string("--event 1:jump:3,4"),
           std::string("--event 0:down:3,4"), std::string("--event 1:down:3"), std::string("--event 1:move:3,4,left"),
           std::string("--event 1:up:3,4,drip"), std::string("--steps 2 --event 3:down:3,4"),
           std::string("--seed -5"), std::string("--set TGeneralExciter.Wavelength=0"),
           std::string("--set TGeneralExciter.BeamType=99"), std::string("--set TWater.Exposure=0"),
           std::string("--set TBlockRIMapper.n=3e38"), std::string("--set TBlockRIMapper.Cs=2"),
           std::string("--set TBaseTool.ActiveTool=True"), std::string("--size 4294967697x401"),
           std::string("--size 401x401x7"), std::string("--size +401x401"), std::string("--size 401x 401")}) {
    const TRun run = Run(bad + frame + " --cells " + Path("never.raw"));
    EXPECT_EQ(run.Status, 2) << bad << ": " << run.Output;
    EXPECT_EQ(std::count(run.Output.begin(), run.Output.end(), '\n'), 1) << bad << ": " << run.Output;
    EXPECT_FALSE(fs::exists(Path("never.ppm"))) << bad;
    EXPECT_FALSE(fs::exists(Path("never.raw"))) << bad;
  }
  // A file that cannot be written: the other one is not left behind either.
  const TRun run = Run("--frame " + Path("ok.ppm") + " --cells " + Path("missing/dir/c.raw"));
  EXPECT_EQ(run.Status, 2);
  EXPECT_FALSE(fs::exists(Path("ok.ppm")));
  EXPECT_TRUE(fs::is_empty(Dir));
}

TEST_F(Cli, ASavedSceneRunsToTheSamePicture) {
  ASSERT_EQ(Run("--steps 0 --set TGeneralExciter.BeamType=3 --set TBlockRIMapper.n=0.3"
                " --save " + Path("scene.xml"))
                .Status,
            0);
  const std::string text = Read(Path("scene.xml"));
  EXPECT_EQ(text.rfind("<TSlideshow", 0), 0u) << text;
  ASSERT_EQ(Run("--scene " + Path("scene.xml") + " --steps 80 --frame " + Path("loaded.ppm")).Status, 0);
  ASSERT_EQ(Run("--steps 80 --set TGeneralExciter.BeamType=3 --set TBlockRIMapper.n=0.3"
                " --frame " + Path("direct.ppm"))
                .Status,
            0);
  EXPECT_TRUE(Read(Path("loaded.ppm")) == Read(Path("direct.ppm")));
}

TEST_F(Cli, ASceneRunsAtItsSavedSizeUnlessSizeIsGiven) {
  ASSERT_EQ(Run("--steps 0 --size 61x43 --save " + Path("small.xml")).Status, 0);
  ASSERT_EQ(Run("--scene " + Path("small.xml") + " --steps 1 --frame " + Path("own.ppm")).Status, 0);
  EXPECT_EQ(Read(Path("own.ppm")).rfind("P6\n61 43\n", 0), 0u);
  ASSERT_EQ(Run("--scene " + Path("small.xml") + " --size 31x29 --steps 1 --frame " + Path("given.ppm")).Status, 0);
  EXPECT_EQ(Read(Path("given.ppm")).rfind("P6\n31 29\n", 0), 0u);
}

TEST_F(Cli, ABrokenSceneFileIsRefusedWithTheReadersMessage) {
  {
    std::ofstream out(Path("broken.xml"));
    out << "<TSlideshow ActiveID=\"1\"><TWater><TNoSuchThing/></TWater></TSlideshow>";
  }
  TRun run = Run("--scene " + Path("broken.xml") + " --frame " + Path("never.ppm"));
  EXPECT_EQ(run.Status, 2);
  EXPECT_NE(run.Output.find("broken.xml"), std::string::npos) << run.Output;
  EXPECT_FALSE(fs::exists(Path("never.ppm")));
  run = Run("--scene " + Path("missing.xml"));
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(std::count(run.Output.begin(), run.Output.end(), '\n'), 1) << run.Output;
  // A picture opened as a scene is named for what it is.
  std::ofstream(Path("tank.png"), std::ios::binary) << "\x89PNG\r\n\x1a\n";
  run = Run("--scene " + Path("tank.png"));
  EXPECT_EQ(run.Status, 2);
  EXPECT_NE(run.Output.find("tank.png is not a Plashbox scene file (it looks like a PNG picture)"), std::string::npos)
      << run.Output;
}

TEST_F(Cli, HelpListsEveryOption) {
  const TRun run = Run("--help");
  EXPECT_EQ(run.Status, 0);
  for (const char* option : {"--size", "--steps", "--seed", "--set", "--event", "--frame", "--cells", "--save", "--scene", "--stats", "--probe", "--probe-out"})
    EXPECT_NE(run.Output.find(option), std::string::npos) << option;
  for (const char* option : {"--gif", "--every", "--intensity", "--average-from"}) EXPECT_NE(run.Output.find(option), std::string::npos) << option;
  // The kinds of source by the numbers BeamType takes, from the source's own rows.
  EXPECT_NE(run.Output.find("0 Point Source, 1 Beam Source, 2 Line Source, 3 Double Source, 4 Doppler Source."),
            std::string::npos)
      << run.Output;
}

TEST_F(Cli, StatsReportTicksAndSteps) {
  const TRun run = Run("--steps 5 --stats");
  EXPECT_EQ(run.Status, 0);
  EXPECT_NE(run.Output.find("ticks 5, steps 5"), std::string::npos) << run.Output;
}

TEST_F(Cli, OutputsAreAllOrNothingAndNeverReplaceWhatCannotBeReplaced) {
  // A folder where the scene should go: the picture named before it is not written either.
  fs::create_directory(Path("adir"));
  TRun run = Run("--steps 3 --frame " + Path("a.ppm") + " --save " + Path("adir"));
  EXPECT_EQ(run.Status, 2) << run.Output;
  EXPECT_FALSE(fs::exists(Path("a.ppm")));
  // The same file twice is refused.
  run = Run("--steps 1 --frame " + Path("a.ppm") + " --cells " + Path("a.ppm"));
  EXPECT_EQ(run.Status, 2) << run.Output;
  EXPECT_FALSE(fs::exists(Path("a.ppm")));
  // A link is followed and stays a link; a character device is written, not replaced.
  std::ofstream(Path("target.ppm")) << "old";
  fs::create_symlink("target.ppm", Path("link.ppm"));
  ASSERT_EQ(Run("--steps 1 --frame " + Path("link.ppm") + " --cells /dev/null").Status, 0);
  EXPECT_TRUE(fs::is_symlink(Path("link.ppm")));
  EXPECT_EQ(Read(Path("target.ppm")).substr(0, 2), "P6");
  EXPECT_EQ(fs::status("/dev/null").type(), fs::file_type::character);
  // - is standard output.
  run = Run("--steps 1 --size 20x12 --frame -");
  ASSERT_EQ(run.Status, 0);
  EXPECT_EQ(run.Output.substr(0, 13), "P6\n20 12\n255\n");
  EXPECT_EQ(run.Output.size(), 13 + 20u * 12 * 3);
}

TEST_F(Cli, SceneFilesThatCannotRunAreRefusedWithPrintableMessages) {
  ASSERT_EQ(Run("--steps 0 --save " + Path("one.xml")).Status, 0);
  const std::string one = Read(Path("one.xml"));
  std::ofstream(Path("two.xml")) << one << one;
  TRun run = Run("--scene " + Path("two.xml") + " --steps 1");
  EXPECT_EQ(run.Status, 2) << run.Output;
  EXPECT_NE(run.Output.find("More than one scene"), std::string::npos) << run.Output;
  // A control byte from the file is shown escaped.
  std::ofstream(Path("esc.xml")) << "<TSlideshow ActiveID=\"1\"><TWater Exposure=\"\x1b[2J\"/></TSlideshow>";
  run = Run("--scene " + Path("esc.xml") + " --steps 1");
  EXPECT_EQ(run.Status, 2) << run.Output;
  EXPECT_EQ(run.Output.find('\x1b'), std::string::npos) << run.Output;
  EXPECT_NE(run.Output.find("\\x1b"), std::string::npos) << run.Output;
}

TEST_F(Cli, AGeometricSettingGivesTheFrameOfTheSavedAndOpenedScene) {
  const std::string settings = " --set TBlockRIMapper.WidthPercentage=60 --set TBlockRIMapper.HeightPercentage=15"
                               " --set TBlockRIMapper.Cs=0.8 --set TBlockRIMapper.Sn=0.6 --set TWater.UniqueID=7";
  ASSERT_EQ(Run("--steps 0" + settings + " --save " + Path("s.xml")).Status, 0);
  ASSERT_EQ(Run("--steps 120" + settings + " --frame " + Path("set.ppm")).Status, 0);
  const TRun opened = Run("--steps 120 --scene " + Path("s.xml") + " --frame " + Path("opened.ppm"));
  ASSERT_EQ(opened.Status, 0) << opened.Output;
  ASSERT_EQ(Run("--steps 120 --frame " + Path("plain.ppm")).Status, 0);
  EXPECT_EQ(Read(Path("set.ppm")), Read(Path("opened.ppm")));
  EXPECT_NE(Read(Path("set.ppm")), Read(Path("plain.ppm"))) << "the settings reach the medium";
  // Pointer positions at the ends of the integer range are taken, quickly and harmlessly.
  const TRun extreme = Run("--steps 3 --event 1:down:2147483647,-2147483648 --event 2:move:-2147483648,2147483647"
                           " --event 3:up:0,0 --frame " + Path("x.ppm"));
  EXPECT_EQ(extreme.Status, 0) << extreme.Output;
  const TRun turned = Run("--steps 3 --event 1:down:280,200 --event 2:move:2147483647,-2147483648"
                          " --event 3:up:2147483647,-2147483648 --frame " + Path("y.ppm"));
  EXPECT_EQ(turned.Status, 0) << turned.Output;
  EXPECT_EQ(extreme.Status, 0) << extreme.Output;
}

}  // namespace

TEST_F(Cli, FramesAndCellsAreTheSameForEveryThreadCount) {
  const std::string script = "--steps 90 --size 203x151 --set TGeneralExciter.BeamType=3 --set TBlockRIMapper.Cs=0.8 "
                             "--set TBlockRIMapper.Sn=0.6 --event 20:down:60,40,drip --event 35:up:60,40";
  ASSERT_EQ(Run(script + " --threads 1 --frame " + Path("1.ppm") + " --cells " + Path("1.raw")).Status, 0);
  for (const char* n : {"2", "3", "4"}) {
    const std::string tag(n);
    ASSERT_EQ(Run(script + " --threads " + tag + " --frame " + Path(tag + ".ppm") + " --cells " + Path(tag + ".raw")).Status, 0);
    EXPECT_TRUE(Read(Path(tag + ".ppm")) == Read(Path("1.ppm"))) << tag << " threads";
    EXPECT_TRUE(Read(Path(tag + ".raw")) == Read(Path("1.raw"))) << tag << " threads";
  }
  for (const char* bad : {"0", "-2", "257", "many", "1.5"}) {
    const TRun run = Run(std::string("--threads ") + bad + " --frame " + Path("bad.ppm"));
    EXPECT_EQ(run.Status, 2) << bad;
    EXPECT_NE(run.Output.find("--threads"), std::string::npos) << run.Output;
    EXPECT_FALSE(fs::exists(Path("bad.ppm")));
  }
}

// The mean of the squared heights over ticks 31 to 40 equals, bit for bit, the mean of the cells
// that runs of 31 to 40 ticks leave, summed in double.
TEST_F(Cli, IntensityIsThePlainMeanOfTheSquaredHeights) {
  const std::string scene = " --size 61x43 --seed 5 --set TGeneralExciter.BeamType=3";
  ASSERT_EQ(Run("--steps 40 --average-from 31 --intensity " + Path("i.raw") + scene).Status, 0);
  std::vector<double> sum;
  for (int ticks = 31; ticks <= 40; ++ticks) {
    ASSERT_EQ(Run("--steps " + std::to_string(ticks) + " --cells " + Path("c.raw") + scene).Status, 0);
    const std::string cells = Read(Path("c.raw"));
    ASSERT_EQ(cells.size(), size_t(61) * 43 * 16);
    sum.resize(cells.size() / 16);
    for (size_t i = 0; i < sum.size(); ++i) {
      float d;
      std::memcpy(&d, cells.data() + i * 16, sizeof d);
      sum[i] += double(d) * double(d);
    }
  }
  const std::string mean = Read(Path("i.raw"));
  ASSERT_EQ(mean.size(), sum.size() * 4);
  size_t moving = 0;
  for (size_t i = 0; i < sum.size(); ++i) {
    float m;
    std::memcpy(&m, mean.data() + i * 4, sizeof m);
    ASSERT_EQ(m, float(sum[i] / 10)) << "cell " << i;
    moving += m > 0;
  }
  EXPECT_GT(moving, sum.size() / 2);
  // The default mean is the run's second half; a first tick outside the run is refused.
  ASSERT_EQ(Run("--steps 40 --intensity " + Path("half.raw") + scene).Status, 0);
  ASSERT_EQ(Run("--steps 40 --average-from 21 --intensity " + Path("from21.raw") + scene).Status, 0);
  EXPECT_EQ(Read(Path("half.raw")), Read(Path("from21.raw")));
  for (const std::string bad : {"--average-from 41", "--average-from 0"}) {
    const TRun run = Run("--steps 40 " + bad + " --intensity " + Path("never.raw"));
    EXPECT_EQ(run.Status, 2) << bad;
    EXPECT_NE(run.Output.find("--average-from"), std::string::npos) << run.Output;
    EXPECT_FALSE(fs::exists(Path("never.raw")));
  }
  EXPECT_EQ(Run("--steps 40 --average-from 3").Status, 2);
}

// --frame FILE.png and --gif: the same pixels as the PPM of the same run, read back with libpng
// and giflib.
namespace export_tests {

using plashbox::TRgbPicture;

TRgbPicture FromPpm(const std::string& Ppm, int W, int H) {
  const size_t header = Ppm.find("255\n") + 4;
  return TRgbPicture{W, H, std::vector<uint8_t>(Ppm.begin() + ptrdiff_t(header), Ppm.end())};
}

TEST_F(Cli, APngFrameHasThePixelsOfThePpm) {
  ASSERT_EQ(Run("--steps 40 --size 120x90 --frame " + Path("f.ppm")).Status, 0);
  const TRun run = Run("--steps 40 --size 120x90 --frame " + Path("f.PNG"));
  ASSERT_EQ(run.Status, 0) << run.Output;
  EXPECT_EQ(Read(Path("f.PNG")).substr(1, 3), "PNG");
  EXPECT_EQ(plashbox::tests::ReadPng(Path("f.PNG")), FromPpm(Read(Path("f.ppm")), 120, 90));
  ASSERT_EQ(Run("--steps 40 --size 120x90 --frame " + Path("f.png.ppm")).Status, 0);
  EXPECT_EQ(Read(Path("f.png.ppm")), Read(Path("f.ppm"))) << "PPM unless the name ends in .png";
}

TEST_F(Cli, AGifHoldsEveryNthTick) {
  const TRun run = Run("--steps 10 --size 60x40 --gif " + Path("a.gif") + " --every 3");
  ASSERT_EQ(run.Status, 0) << run.Output;
  const plashbox::tests::TGifFile gif = plashbox::tests::ReadGif(Path("a.gif"));
  ASSERT_TRUE(gif.Read);
  EXPECT_EQ(gif.Width, 60);
  EXPECT_EQ(gif.Height, 40);
  ASSERT_EQ(gif.Frames.size(), 3u) << "ticks 3, 6 and 9";
  EXPECT_EQ(gif.Delays, (std::vector<int>{5, 5, 4})) << "48 ms a frame, 62.5 ticks a second";
  for (int tick : {3, 9}) {
    ASSERT_EQ(Run("--steps " + std::to_string(tick) + " --size 60x40 --frame " + Path("t.ppm")).Status, 0);
    EXPECT_EQ(gif.Frames[size_t(tick / 3 - 1)], FromPpm(Read(Path("t.ppm")), 60, 40)) << "tick " << tick;
  }
  ASSERT_EQ(Run("--steps 2 --size 60x40 --gif " + Path("b.gif")).Status, 0);
  EXPECT_EQ(plashbox::tests::ReadGif(Path("b.gif")).Frames.size(), 2u) << "every tick by default";
}

TEST_F(Cli, ExportErrorsNameThePathAndLeaveNoFile) {
  for (const std::string& bad : {std::string("--every 2"), std::string("--gif " + Path("a.gif") + " --every 0"),
                                 std::string("--gif " + Path("no/a.gif")), std::string("--frame " + Path("no/a.png")),
                                 std::string("--gif " + Path("x.gif") + " --frame " + Path("x.gif")),
                                 std::string("--gif " + Path("a.gif") + " --every 4")}) {
    const TRun run = Run("--steps 3 " + bad);
    EXPECT_EQ(run.Status, 2) << bad << ": " << run.Output;
    EXPECT_EQ(std::count(run.Output.begin(), run.Output.end(), '\n'), 1) << bad << ": " << run.Output;
    EXPECT_TRUE(fs::is_empty(Dir)) << bad;
  }
  const TRun run = Run("--steps 3 --gif " + Path("no/a.gif"));
  EXPECT_NE(run.Output.find(Path("no/a.gif")), std::string::npos) << run.Output;
}

}  // namespace export_tests

// The probes' CSV: a header, then per tick the tick and the very float of every probe's cell,
// the same as the cell dump holds after the last tick.
TEST_F(Cli, ProbesPrintTheDisplacementOfTheirCellsAfterEveryTick) {
  const std::string common =
      "--steps 30 --size 101x101 --set TGeneralExciter.BeamType=0 --set TGeneralExciter.X1Percent=50 "
      "--set TGeneralExciter.Y1Percent=50 --probe 50,50 --probe 60,40";
  const TRun run = Run(common + " --cells " + Path("c.raw"));
  ASSERT_EQ(run.Status, 0) << run.Output;
  std::istringstream lines(run.Output);
  std::string line, last;
  std::getline(lines, line);
  EXPECT_EQ(line, "tick,x=50 y=50,x=60 y=40");
  int rows = 0;
  while (std::getline(lines, line)) {
    ++rows;
    EXPECT_EQ(line.substr(0, line.find(',')), std::to_string(rows));
    last = line;
  }
  ASSERT_EQ(rows, 30);
  // Cell (x, y upward) of paint-area point (X, Y downward) is (X, H - 1 - Y).
  const std::string cells = Read(Path("c.raw"));
  const auto displacement = [&](int X, int Y) {
    float value = 0;
    std::memcpy(&value, cells.data() + (size_t(X) * 101 + size_t(100 - Y)) * 16, sizeof value);
    return value;
  };
  const size_t first = last.find(','), second = last.find(',', first + 1);
  EXPECT_EQ(std::strtof(last.c_str() + first + 1, nullptr), displacement(50, 50));
  EXPECT_EQ(std::strtof(last.c_str() + second + 1, nullptr), displacement(60, 40));
  EXPECT_NE(displacement(60, 40), 0.0f) << "the wave has reached the second probe";

  // Into a file instead, the same text; nothing on standard output.
  const TRun file = Run(common + " --probe-out " + Path("p.csv"));
  ASSERT_EQ(file.Status, 0) << file.Output;
  EXPECT_EQ(file.Output, "");
  EXPECT_EQ(Read(Path("p.csv")), run.Output);
}

TEST_F(Cli, BadProbesAreRefusedBeforeTheRun) {
  const auto refused = [&](const std::string& Arguments, const std::string& Named) {
    const TRun run = Run("--steps 3 " + Arguments);
    EXPECT_EQ(run.Status, 2) << Arguments;
    EXPECT_NE(run.Output.find(Named), std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find("tick"), std::string::npos) << "no CSV before the error: " << run.Output;
  };
  refused("--probe 10", "--probe 10");
  refused("--probe 10,x", "--probe 10,x");
  refused("--probe 401,10", "outside the 401 x 401");
  refused("--probe 10,10 --probe-out " + Path("no/such/folder/p.csv"), Path("no/such/folder/p.csv"));
  refused("--probe-out " + Path("p.csv"), "no --probe");
  refused("--probe 10,10 --frame -", "--probe-out");
  EXPECT_FALSE(fs::exists(Path("p.csv")));
}
