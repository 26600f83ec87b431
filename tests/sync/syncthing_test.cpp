// Two Syncthing instances on this machine keep one library folder in step while a document in
// it is edited on both sides at once. Each side's editor does what the application does when
// another program rewrites an open file: it merges the file with its own version against the
// version it last read or wrote, and folds the sync tool's conflict copies in. Nothing here
// talks to any address but 127.0.0.1: discovery, relays, NAT, usage reports, crash reports
// and upgrades are off, and every outside address in the configuration points at the loopback.
#include "core/formats/native_document_codec.hpp"
#include "core/library/conflict_copies.hpp"
#include "core/model/document_merge.hpp"
#include "core/model/tree_ops.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <random>
#include <set>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace velmora;
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

constexpr auto kBound = std::chrono::seconds(90);

std::optional<fs::path> findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const fs::path candidate = fs::path(dir) / name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Whether nothing listens on the loopback port yet.
bool portFree(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return free;
}

// One Syncthing instance with a home of its own, started and stopped by this test only.
class Instance {
public:
    Instance(fs::path program, fs::path home)
        : m_program(std::move(program)), m_home(std::move(home)) {}
    ~Instance() { stop(); }

    // Makes the keys and returns the device id they give.
    std::string generate() {
        fs::create_directories(m_home);
        if (run({"generate", "--home=" + m_home.string(), "--no-default-folder",
                 "--skip-port-probing"}) != 0)
            return {};
        run({"serve", "--home=" + m_home.string(), "--device-id"});
        std::string id = slurp(m_home / "output.txt");
        while (!id.empty() && (id.back() == '\n' || id.back() == '\r'))
            id.pop_back();
        return id;
    }

    void configure(const std::string& self, int selfPort, const std::string& other, int otherPort,
                   const fs::path& folder) {
        const std::string nowhere = "http://127.0.0.1:9/";
        std::ofstream config(m_home / "config.xml");
        config << "<configuration version=\"36\">\n"
               << "  <folder id=\"library\" label=\"Library\" path=\"" << folder.string()
               << "\" type=\"sendreceive\" rescanIntervalS=\"2\" fsWatcherEnabled=\"true\""
                  " fsWatcherDelayS=\"1\" ignorePerms=\"false\" autoNormalize=\"true\">\n"
               << "    <filesystemType>basic</filesystemType>\n"
               << "    <device id=\"" << self << "\"></device>\n"
               << "    <device id=\"" << other << "\"></device>\n"
               << "    <minDiskFree unit=\"%\">0</minDiskFree>\n"
               << "    <maxConflicts>-1</maxConflicts>\n"
               << "  </folder>\n"
               << "  <device id=\"" << self << "\" name=\"self\" compression=\"metadata\">\n"
               << "    <address>tcp://127.0.0.1:" << selfPort << "</address>\n"
               << "  </device>\n"
               << "  <device id=\"" << other << "\" name=\"other\" compression=\"metadata\">\n"
               << "    <address>tcp://127.0.0.1:" << otherPort << "</address>\n"
               << "  </device>\n"
               << "  <gui enabled=\"false\" tls=\"false\"><address>127.0.0.1:9</address></gui>\n"
               << "  <options>\n"
               << "    <listenAddress>tcp://127.0.0.1:" << selfPort << "</listenAddress>\n"
               << "    <globalAnnounceServer>" << nowhere << "</globalAnnounceServer>\n"
               << "    <globalAnnounceEnabled>false</globalAnnounceEnabled>\n"
               << "    <localAnnounceEnabled>false</localAnnounceEnabled>\n"
               << "    <relaysEnabled>false</relaysEnabled>\n"
               << "    <natEnabled>false</natEnabled>\n"
               << "    <stunKeepaliveStartS>0</stunKeepaliveStartS>\n"
               << "    <stunKeepaliveMinS>0</stunKeepaliveMinS>\n"
               << "    <stunServer>127.0.0.1:9</stunServer>\n"
               << "    <urAccepted>-1</urAccepted>\n"
               << "    <urURL>" << nowhere << "</urURL>\n"
               << "    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>\n"
               << "    <releasesURL>" << nowhere << "</releasesURL>\n"
               << "    <crashReportingEnabled>false</crashReportingEnabled>\n"
               << "    <crashReportingURL>" << nowhere << "</crashReportingURL>\n"
               << "    <startBrowser>false</startBrowser>\n"
               << "    <reconnectionIntervalS>1</reconnectionIntervalS>\n"
               << "    <minHomeDiskFree unit=\"%\">0</minHomeDiskFree>\n"
               << "  </options>\n"
               << "</configuration>\n";
    }

    bool start() {
        m_pid = spawn({"serve", "--home=" + m_home.string(), "--no-browser", "--no-restart",
                       "--no-upgrade", "--no-default-folder", "--skip-port-probing"});
        return m_pid > 0;
    }

    void stop() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        for (int i = 0; i < 50; ++i) {
            if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    [[nodiscard]] std::string log() const { return slurp(m_home / "output.txt"); }

private:
    pid_t spawn(const std::vector<std::string>& args) {
        std::vector<std::string> env = {"HOME=" + m_home.string(), "STNOUPGRADE=1", "STNORESTART=1",
                                        "STNODEFAULTFOLDER=1", "PATH=/usr/bin:/bin"};
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<std::string> all = {m_program.string()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = (m_home / "output.txt").string();
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = -1;
        if (posix_spawn(&pid, m_program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    int run(const std::vector<std::string>& args) {
        const pid_t pid = spawn(args);
        int status = -1;
        if (pid > 0)
            ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path m_program;
    fs::path m_home;
    pid_t m_pid = -1;
};

// One computer's editor of the shared document: what it shows, and the version it last read
// from the file or wrote there.
class Editor {
public:
    Editor(fs::path folder, fs::path scratch)
        : m_folder(std::move(folder)), m_scratch(std::move(scratch)) {}

    TreeDocument document;

    // Opens the document once its file is there.
    bool open() {
        auto loaded = NativeDocumentCodec::decode(slurp(file()));
        if (!loaded)
            return false;
        document = loaded.value().document;
        m_versions = {document};
        m_bytes = slurp(file());
        return true;
    }

    // Writes as the application does: a whole new file renamed over the old one, after taking
    // in what the sync tool brought meanwhile, looked at once more just before the rename.
    void write() {
        absorbFile();
        const fs::path temporary = m_scratch / "document.tmp";
        do {
            EditorSnapshot snapshot;
            snapshot.document = document;
            m_written = NativeDocumentCodec::encode(snapshot, BackupSettings{});
            std::ofstream(temporary, std::ios::binary) << m_written;
        } while (absorbFile());
        fs::rename(temporary, file());
        m_bytes = m_written;
        m_writtenBytes.insert(m_written);
        m_versions.push_back(document);
    }

    // Takes in what the sync tool brought: the file merged with this side's version against
    // the last version read or written; writes the result when it differs from the file.
    // A conflict copy is the version this side wrote and lost to the other side's: the editor
    // still holds everything in it and merges the winning file against the version both
    // started from, so the copy is removed here. The other side leaves it alone: folded in
    // without that common version, the copy's checks and notes could not be told from the
    // winner's. Whether anything happened.
    bool settle() {
        bool changed = false;
        for (const auto& entry : fs::directory_iterator(m_folder)) {
            const auto original = Library::conflictCopyOriginal(entry.path().filename().string());
            if (!original || *original != file().filename().string())
                continue;
            if (!m_writtenBytes.contains(slurp(entry.path())))
                continue;
            fs::remove(entry.path());
            changed = true;
        }
        changed = absorbFile() || changed;
        if (m_versions.empty() || !(document == m_versions.back())) {
            write();
            changed = true;
        }
        return changed;
    }

    [[nodiscard]] fs::path file() const { return m_folder / "Plan.quenlith"; }

private:
    // Merges the file in when another program changed it since this side last read or wrote
    // it. Whether it did.
    bool absorbFile() {
        const std::string bytes = slurp(file());
        if (bytes.empty() || bytes == m_bytes)
            return false;
        auto theirs = NativeDocumentCodec::decode(bytes);
        if (!theirs)
            return false;
        const TreeDocument& base = DocumentMerge::commonVersion(m_versions, theirs.value().document);
        document = DocumentMerge::merge(base, document, theirs.value().document).document;
        m_versions = {theirs.value().document};
        m_bytes = bytes;
        return true;
    }

    fs::path m_folder;
    fs::path m_scratch;
    // The version last read, then each one written since.
    std::vector<TreeDocument> m_versions;
    std::string m_bytes;
    std::string m_written;
    // Every version this side wrote, to know its own conflict copies by.
    std::set<std::string> m_writtenBytes;
};

std::vector<std::string> allTexts(const ItemList& items) {
    std::vector<std::string> out;
    for (const auto& item : items) {
        out.push_back(item.text);
        auto inner = allTexts(item.children);
        out.insert(out.end(), inner.begin(), inner.end());
    }
    return out;
}

bool hasConflictCopies(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (Library::conflictCopyOriginal(entry.path().filename().string()))
            return true;
    return false;
}

class SyncthingTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root =
            fs::temp_directory_path() / ("ostrevo-sync-" + std::to_string(std::random_device{}()));
        fs::create_directories(m_root);
    }
    void TearDown() override {
        m_instances.clear();
        std::error_code error;
        fs::remove_all(m_root, error);
    }

    fs::path m_root;
    std::vector<std::unique_ptr<Instance>> m_instances;
};

} // namespace

TEST_F(SyncthingTest, DocumentEditedOnTwoComputersAtOnceEndsWithEveryEdit) {
    const auto program = findProgram("syncthing");
    if (!program)
        GTEST_SKIP() << "Syncthing is not installed (Debian package \"syncthing\"; "
                        "scripts/install-deps --tests installs it): the synced-folder test did "
                        "not run";
    const auto deadline = Steady::now() + kBound;

    // Two free loopback ports, the same for every run unless taken.
    std::vector<int> ports;
    for (int port = 22101; port < 22200 && ports.size() < 2; ++port)
        if (portFree(port))
            ports.push_back(port);
    ASSERT_EQ(ports.size(), 2u);

    const fs::path folderA = m_root / "laptop" / "Library";
    const fs::path folderB = m_root / "desk" / "Library";
    // Each folder carries the marker that tells Syncthing it is the folder it was given.
    fs::create_directories(folderA / ".stfolder");
    fs::create_directories(folderB / ".stfolder");
    fs::create_directories(m_root / "scratch-a");
    fs::create_directories(m_root / "scratch-b");
    m_instances.push_back(std::make_unique<Instance>(*program, m_root / "home-a"));
    m_instances.push_back(std::make_unique<Instance>(*program, m_root / "home-b"));
    const std::string idA = m_instances[0]->generate();
    const std::string idB = m_instances[1]->generate();
    ASSERT_EQ(idA.size(), 63u) << m_instances[0]->log();
    ASSERT_EQ(idB.size(), 63u) << m_instances[1]->log();
    m_instances[0]->configure(idA, ports[0], idB, ports[1], folderA);
    m_instances[1]->configure(idB, ports[1], idA, ports[0], folderB);

    // The shared document starts on the laptop.
    Editor laptop(folderA, m_root / "scratch-a");
    Editor desk(folderB, m_root / "scratch-b");
    laptop.document = TreeDocument{"plan", "Plan",
                                   ItemList{Item::blank("a", "Agenda"), Item::blank("b", "Budget"),
                                            Item::blank("c", "Contacts")}};
    laptop.write();
    ASSERT_TRUE(m_instances[0]->start());
    ASSERT_TRUE(m_instances[1]->start());
    while (!desk.open()) {
        ASSERT_LT(Steady::now(), deadline) << "the document never reached the desk\n"
                                           << m_instances[0]->log() << m_instances[1]->log();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }

    // Both edit at once, each writing after every edit, and take in what arrives meanwhile.
    std::vector<std::string> expected = {"Agenda for Monday", "Budget", "Contacts"};
    for (int round = 0; round < 4; ++round) {
        const std::string n = std::to_string(round);
        laptop.document =
            TreeOps::insertSiblingBelow(laptop.document, "a", "Laptop " + n, "laptop-" + n).doc;
        desk.document = TreeOps::addChild(desk.document, "c", "Desk " + n, "desk-" + n).doc;
        expected.push_back("Laptop " + n);
        expected.push_back("Desk " + n);
        if (round == 1) {
            laptop.document = TreeOps::updateItem(
                laptop.document, "a", [](Item& item) { item.text = "Agenda for Monday"; });
            desk.document = TreeOps::updateItem(desk.document, "b", [](Item& item) {
                item.checked = true;
                item.note = "Paid";
            });
        }
        laptop.write();
        desk.write();
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        laptop.settle();
        desk.settle();
    }

    // Settled: both folders hold the same file, no conflict copy is left, for three seconds.
    auto quietSince = Steady::now();
    for (;;) {
        ASSERT_LT(Steady::now(), deadline) << "the folders never settled\n"
                                           << m_instances[0]->log() << m_instances[1]->log();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const bool busy = laptop.settle() | desk.settle();
        const bool same = slurp(laptop.file()) == slurp(desk.file()) &&
                          !hasConflictCopies(folderA) && !hasConflictCopies(folderB);
        if (busy || !same)
            quietSince = Steady::now();
        else if (Steady::now() - quietSince > std::chrono::seconds(3))
            break;
    }

    auto final = NativeDocumentCodec::decode(slurp(laptop.file()));
    ASSERT_TRUE(final.ok());
    const auto texts = allTexts(final.value().document.items);
    for (const auto& text : expected)
        EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
    auto budget = TreeOps::locate(final.value().document.items, "b");
    ASSERT_TRUE(budget);
    EXPECT_TRUE(budget->item.checked);
    EXPECT_EQ(budget->item.note, "Paid");
    EXPECT_EQ(slurp(laptop.file()), slurp(desk.file()));
}
