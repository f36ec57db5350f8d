// plashbox-cli end to end: the picture is a pure function of the options, event scripts reach
// the objects, and every error exits with status 2 and writes nothing.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

TEST_F(Cli, ErrorsExitWithTwoAndWriteNothing) {
  const std::string frame = " --frame " + Path("never.ppm");
  for (const std::string& bad : {
           std::string("--bogus"), std::string("--steps -1"), std::string("--steps x"), std::string("--size 401"),
           std::string("--size 5x5"), std::string("--set TNoSuchClass.X=1"), std::string("--set TWater.NoSuchProp=1"),
           std::string("--set TBlockRIMapper.n=abc"), std::string("--set nodot"), std::string("--event 1:jump:3,4"),
           std::string("--event 0:down:3,4"), std::string("--event 1:down:3"), std::string("--event 1:move:3,4,left"),
           std::string("--event 1:up:3,4,drip"), std::string("--steps 2 --event 3:down:3,4"),
           std::string("--seed -5")}) {
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
}

TEST_F(Cli, HelpListsEveryOption) {
  const TRun run = Run("--help");
  EXPECT_EQ(run.Status, 0);
  for (const char* option : {"--size", "--steps", "--seed", "--set", "--event", "--frame", "--cells", "--save", "--scene", "--stats"})
    EXPECT_NE(run.Output.find(option), std::string::npos) << option;
}

TEST_F(Cli, StatsReportTicksAndSteps) {
  const TRun run = Run("--steps 5 --stats");
  EXPECT_EQ(run.Status, 0);
  EXPECT_NE(run.Output.find("ticks 5, steps 5"), std::string::npos) << run.Output;
}

}  // namespace
