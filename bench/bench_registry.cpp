// Registry timings: 10,000 values in 1,000 keys written and read back, and
// saving a main window's worth of settings (about 60 values) in one update.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/registry.h"

using namespace korrin;
using Clock = std::chrono::steady_clock;

static double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

int main() {
  std::string dir = std::filesystem::temp_directory_path().string() + "/korrin-bench-reg-" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  std::string file = dir + "/registry.db";
  {
    TRegistry reg(file);
    auto t0 = Clock::now();
    for (int k = 0; k < 1000; ++k) {
      reg.OpenKey("\\SOFTWARE\\Bench\\Key" + std::to_string(k), true);
      for (int v = 0; v < 10; ++v) reg.WriteInteger("Value" + std::to_string(v), k * 10 + v);
    }
    auto t1 = Clock::now();
    long sum = 0;
    for (int k = 0; k < 1000; ++k) {
      reg.OpenKey("\\SOFTWARE\\Bench\\Key" + std::to_string(k), false);
      for (int v = 0; v < 10; ++v) sum += reg.ReadInteger("Value" + std::to_string(v));
    }
    auto t2 = Clock::now();
    std::printf("registry: write 10000 values in 1000 keys %.3f s, read back %.3f s, total %.3f s (sum %ld)\n",
                Seconds(t0, t1), Seconds(t1, t2), Seconds(t0, t2), sum);

    auto t3 = Clock::now();
    {
      TRegistryUpdate update(reg);
      const std::string k = "\\SOFTWARE\\Halvane Software Development\\Korrin offline mail reader";
      reg.OpenKey(k, true);
      reg.WriteString("Current Version", "1 . 3");
      reg.OpenKey(k + "\\Main\\Location", true);
      for (const char* n : {"Top", "Left", "Width", "Height", "WindowState"}) reg.WriteInteger(n, 100);
      reg.OpenKey(k + "\\Config\\Main", true);
      for (int i = 0; i < 10; ++i) reg.WriteInteger("Flag" + std::to_string(i), 1);
      reg.OpenKey(k + "\\Config\\User\\Signature", true);
      for (int i = 0; i < 30; ++i) reg.WriteString("SigLine" + std::to_string(i), "A signature line of some length");
      for (const char* f : {"\\Config\\Viewer\\Font", "\\Config\\Viewer\\Quote\\Font", "\\Config\\Editor\\Font"}) {
        reg.OpenKey(k + f, true);
        reg.WriteString("Name", "Sans");
        reg.WriteInteger("Size", 10);
        reg.WriteInteger("Color", 255);
      }
    }
    auto t4 = Clock::now();
    std::printf("registry: saving 60 settings in one update %.1f ms\n", Seconds(t3, t4) * 1000);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
