// A private CUPS server for tests: its own configuration, spool and state folders under a
// fresh temporary folder, listening on a local socket there, with one queue "qhtest" whose
// backend (a small script) writes each job's document to <folder>/out/job-N.out and its
// copies and options to job-N.txt. The server is stopped and the folder removed at the end.
// Available() is false where no cupsd can run (not installed, or not started as root).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TCupsTestServer {
public:
  TCupsTestServer()
  {
    if (access("/usr/sbin/cupsd", X_OK) != 0 || access("/usr/sbin/lpadmin", X_OK) != 0 ||
        geteuid() != 0) {
      FReason = "cupsd and lpadmin must be installed and the tests run as root";
      return;
    }
    char templ[] = "/tmp/qhcupsXXXXXX";
    if (!mkdtemp(templ))
      return;
    FRoot = templ;
    namespace fs = std::filesystem;
    for (const char* d : {"spool", "cache", "state", "logs", "out", "bin/backend"})
      fs::create_directories(FRoot + "/" + d);
    chmod(FRoot.c_str(), 0755);
    chmod((FRoot + "/out").c_str(), 0777);
    fs::create_directory_symlink("/usr/lib/cups/daemon", FRoot + "/bin/daemon");
    fs::create_directory_symlink("/usr/lib/cups/filter", FRoot + "/bin/filter");
    Write("cupsd.conf", "Listen " + Socket() +
                            "\nLogLevel warn\nWebInterface No\nBrowsing No\nDefaultAuthType "
                            "None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n");
    Write("cups-files.conf", "FileDevice No\nUser lp\nGroup lp\nSystemGroup root\nServerRoot " +
                                 FRoot + "\nServerBin " + FRoot + "/bin\nRequestRoot " + FRoot +
                                 "/spool\nCacheDir " + FRoot + "/cache\nStateDir " + FRoot +
                                 "/state\nTempDir " + FRoot + "/spool\nErrorLog " + FRoot +
                                 "/logs/error_log\nAccessLog " + FRoot + "/logs/access_log\n");
    Write("bin/backend/qhdir",
          "#!/bin/sh\n"
          "if [ $# -eq 0 ]; then echo 'direct qhdir \"Unknown\" \"Folder\"'; exit 0; fi\n"
          "dir=\"${DEVICE_URI#qhdir:}\"\n"
          "if [ -n \"$6\" ]; then cat \"$6\" > \"$dir/job-$1.part\"; else cat > "
          "\"$dir/job-$1.part\"; fi\n"
          "chmod 644 \"$dir/job-$1.part\"; mv \"$dir/job-$1.part\" \"$dir/job-$1.out\"\n"
          "printf 'copies=%s\\noptions=%s\\n' \"$4\" \"$5\" > \"$dir/job-$1.txt\"\n"
          "exit 0\n");
    chmod((FRoot + "/bin/backend/qhdir").c_str(), 0755);
    FPid = fork();
    if (FPid == 0) {
      execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", (FRoot + "/cupsd.conf").c_str(), "-s",
            (FRoot + "/cups-files.conf").c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    if (FPid < 0 || !WaitFor(Socket()))
      return;
    std::string cmd = "CUPS_SERVER=" + Socket() + " /usr/sbin/lpadmin -p qhtest -v qhdir:" + FRoot +
                      "/out -E >/dev/null 2>&1";
    FReady = std::system(cmd.c_str()) == 0;
    if (!FReady)
      FReason = "lpadmin could not add the test queue";
  }
  ~TCupsTestServer()
  {
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      waitpid(FPid, nullptr, 0);
    }
    if (!FRoot.empty()) {
      std::error_code ec;
      std::filesystem::remove_all(FRoot, ec);
    }
  }
  TCupsTestServer(const TCupsTestServer&) = delete;
  TCupsTestServer& operator=(const TCupsTestServer&) = delete;

  bool Available() const { return FReady; }
  const std::string& Reason() const { return FReason; }
  std::string Socket() const { return FRoot + "/cups.sock"; }
  std::string OutFolder() const { return FRoot + "/out"; }
  // The document of job n once the backend has written it; "" when it does not come
  // within a generous bound.
  std::string WaitForJob(int n) const
  {
    std::string txt = OutFolder() + "/job-" + std::to_string(n) + ".txt";
    return WaitFor(txt) ? OutFolder() + "/job-" + std::to_string(n) + ".out" : "";
  }
  std::string JobRecord(int n) const
  {
    std::ifstream in(OutFolder() + "/job-" + std::to_string(n) + ".txt");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

private:
  void Write(const std::string& name, const std::string& text)
  {
    std::ofstream(FRoot + "/" + name) << text;
  }
  static bool WaitFor(const std::string& path)
  {
    for (int i = 0; i < 300; ++i) {
      if (access(path.c_str(), F_OK) == 0)
        return true;
      usleep(50000);
    }
    return false;
  }

  std::string FRoot;
  std::string FReason = "cupsd did not start";
  pid_t FPid = -1;
  bool FReady = false;
};
