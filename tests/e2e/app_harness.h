// Runs the whole application in the test process on the headless backend,
// against a catalogue served by an in-process loopback server, in a fresh
// program folder.  Header-only: included by the end-to-end tests and by the
// application's own tests.
//
//   AppHarness app;                         // headless backend installed
//   app.ServeStandardFiles({"english.lang"});
//   app.ServeCatalogue("english", Catalogue(12));
//   app.PrepareHome();                       // TARNPATH and WINRAR set: no requester
//   app.Start();                             // the whole start-up
//   app.ui->Click(corvane::goToDownloadButton);
//   app.Turn();                              // one turn of the main loop
//
// The destructor resets every global of the program, shuts the toolkit down
// and returns to the folder the test started in.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/entry.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "log/activity_log.h"
#include "net/http_client.h"
#include "runtime/temporary_file.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/server_address.h"
#include "support/loopback_server.h"
#include "support/temp_dir.h"
#include "toolkit/headless/headless_backend.h"
#include "widgets/tapplication.h"

namespace corvane::testing {

// One program of a test catalogue.  Paths are on the loopback server; an
// entry starting with "http" is used as it is.
struct TestProgram {
  std::string id;
  std::string name;
  std::vector<std::string> paths;
  std::string author = "Ann Author";
  std::string license = "MIT";
  std::string web = "http://example.org/";
  std::string desc = "A program";
};

// n programs "Program 01".. with one download each at /files/progNN.zip.
inline std::vector<TestProgram> Programs(int n) {
  std::vector<TestProgram> list;
  for (int i = 1; i <= n; ++i) {
    std::string nn = (i < 10 ? "0" : "") + std::to_string(i);
    list.push_back({"PROG" + nn, "Program " + nn, {"/files/prog" + nn + ".zip"}});
  }
  return list;
}

inline std::string EmbeddedEnglish() {
  const std::string* bytes = runtime::EmbeddedResource("resource/english.lang");
  return bytes ? *bytes : std::string();
}

class AppHarness {
 public:
  AppHarness() {
    previous_folder_ = runtime::Fs().CurrentFolder();
    app::ResetApplication();
    auto backend = std::make_unique<tk::HeadlessBackend>();
    ui = backend.get();
    tk::SetBackend(std::move(backend));
    saved_limits_ = GetHttpLimits();
    HttpLimits quick = saved_limits_;
    quick.connect_ms = 500;
    quick.read_idle_ms = 300;
    SetHttpLimits(quick);
    runtime::UnsetEnv("PROGRAMFILES");
  }

  ~AppHarness() {
    app::ResetApplication();
    SetHttpLimits(saved_limits_);
    runtime::SetTemporaryJournal("");
    runtime::Fs().ChangeFolder(previous_folder_);
  }

  AppHarness(const AppHarness&) = delete;
  AppHarness& operator=(const AppHarness&) = delete;

  // The catalogue text of these programs, addresses on this server.
  std::string Catalogue(const std::vector<TestProgram>& programs) const {
    std::string text;
    for (const TestProgram& p : programs) {
      std::string urls;
      for (const std::string& path : p.paths) {
        if (!urls.empty()) urls += "|";
        urls += path.rfind("http", 0) == 0 ? path : server.Url(path);
      }
      text += "[" + p.id + "]\r\nNAME=" + p.name + "\r\nURL=" + urls + "\r\nDESC=" + p.desc +
              "\r\nWEB=" + p.web + "\r\nAUTHOR=" + p.author + "\r\nLICENSE=" + p.license +
              "\r\n[/]\r\n";
    }
    return text;
  }

  // version.txt (same version: no offer), languages.txt naming these files,
  // and the English language file.
  void ServeStandardFiles(const std::vector<std::string>& language_files = {"english.lang"}) {
    server.Serve("/download/corvane/version.txt", "1.33\r\n0.99\r\n");
    std::string list;
    for (const std::string& f : language_files) list += f + "\r\n";
    server.Serve("/download/corvane/languages.txt", list);
    server.Serve("/download/corvane/english.lang", EmbeddedEnglish());
  }

  void ServeCatalogue(const std::string& language, const std::string& text) {
    server.Serve("/download/corvane/win32.app." + language + ".txt", text);
  }

  // A program folder that has run before: the English file, a toolchain
  // folder holding bin/tnc.exe and a WinRAR folder, so start-up asks nothing.
  void PrepareHome(const std::string& language = "ENGLISH", const std::string& autoupdate = "FALSE",
                   int disable_delete = 1) {
    home.Write("lang/english.lang", EmbeddedEnglish());
    home.Write("tarnic/bin/tnc.exe", "tnc");
    home.Write("winrar/unrar.exe", "unrar");
    WriteConfig(language, autoupdate, home / "winrar", home / "tarnic", disable_delete);
  }

  void WriteConfig(const std::string& language, const std::string& autoupdate,
                   const std::string& winrar, const std::string& tarnpath, int disable_delete = 1) {
    home.Write("data/conf.txt", "LANGUAGE=" + language + "\r\nAUTOUPDATE=" + autoupdate +
                                    "\r\nURLUPDATE=x\r\nAUTOEXECUTE=TRUE\r\nWINRAR=" + winrar +
                                    "\r\nTARNPATH=" + tarnpath + "\r\nSVNPATH=\r\nDEFAULT_INSTALL=0\r\n" +
                                    "DISABLE_DELETE=" + std::to_string(disable_delete) +
                                    "\r\nAPPVERSION=0.99\r\n");
  }

  // The start-up sequence in the program folder, against this server.
  void Start() {
    ASSERT_TRUE(runtime::EnterProgramFolder(home.path()));
    SetServerRoot(server.Root());
    StartUp();
    ASSERT_NE(mainApp, nullptr);
  }

  // Turns of the main loop; each waits for the next event (a timer tick when
  // nothing else is queued, on the virtual clock).
  void Turn(int n = 1) {
    for (int i = 0; i < n; ++i) RunLoopOnce();
  }
  // Turns until every queued event is handled.
  void Settle() {
    for (int i = 0; i < 100 && tk::QueueLength() > 0; ++i) RunLoopOnce();
    RunLoopOnce();
  }

  tk::Gadget* Window() const { return mainApp ? mainApp->window : nullptr; }

  std::string Log() const {
    auto bytes = runtime::Fs().ReadFile(logFileName);
    return bytes ? runtime::DecodeLatin1(*bytes) : std::string();
  }
  bool LogHas(const std::string& text) const { return Log().find(text) != std::string::npos; }

  std::vector<std::string> ConfigLines() const { return runtime::ReadLines(home.Read("data/conf.txt")); }

  // Boxes of one kind with this text.
  int BoxesShown(tk::BoxKind kind, const std::string& text) const {
    int n = 0;
    for (const tk::ShownBox& box : ui->Boxes()) n += box.kind == kind && box.text == text;
    return n;
  }

  tk::HeadlessBackend* ui = nullptr;
  TempDir home;
  LoopbackServer server;

 private:
  std::string previous_folder_;
  HttpLimits saved_limits_;
};

}  // namespace corvane::testing
