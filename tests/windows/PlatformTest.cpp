// The platform seams as the Windows build implements them: UTF-8 names reach
// the file system as the same characters, durable writes replace whole files,
// exclusive creation refuses an existing name, the lock file keeps its value,
// folders are listed in UTF-8, libraries load by name or fail with a reason.
#include "ErrorOf.h"
#include "TempFolder.h"
#include "common/DurableFile.h"
#include "common/ExclusiveFile.h"
#include "common/FileSystem.h"
#include "common/LockedFile.h"
#include "common/Paths.h"
#include "common/Process.h"
#include "common/SharedLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace qorita {
namespace {

// "Società" in UTF-8, as TABX holds an archive folder's name.
const std::string kSocieta = "Societ\xC3\xA0";

class TPlatformTest : public ::testing::Test {
protected:
    const support::TTempFolder FTemp{"qorita-platform"};
};

TEST_F(TPlatformTest, AFolderWithAccentsHoldsDurableFilesUnderItsRealName)
{
    const std::filesystem::path folder = FTemp.Path() / PathFromUtf8(kSocieta);
    CreateFolderDurably(folder);
    CreateFolderDurably(folder);  // already there: fine
    // The wide name the system sees is the one the user wrote.
    EXPECT_TRUE(std::filesystem::is_directory(FTemp.Path() / std::filesystem::path(L"Societ\u00E0")));

    const std::filesystem::path file = folder / PathFromUtf8("00001234_Risposta_" + kSocieta + ".xml");
    WriteFileDurably(file, "prima\r\n");
    WriteFileDurably(file, "<r>seconda \xC3\xA8</r>\n");
    std::string text;
    ASSERT_TRUE(ReadWholeFile(file, text));
    EXPECT_EQ(text, "<r>seconda \xC3\xA8</r>\n");  // byte for byte, no CR added
    SyncFile(file);
    SyncFolder(folder);

    std::vector<std::string> names;
    ASSERT_TRUE(ListFolder(folder, names));
    // The temporary file of each write is gone.
    EXPECT_EQ(names, std::vector<std::string>{"00001234_Risposta_" + kSocieta + ".xml"});
    names.clear();
    ASSERT_TRUE(ListFolder(FTemp.Path(), names));
    EXPECT_EQ(names, std::vector<std::string>{kSocieta});
    EXPECT_EQ(Utf8FromPath(file.parent_path().filename()), kSocieta);
}

// The journal's files: folders made once and taken as they are after, files
// only ever created new, read back whole; a missing one is no error.
TEST_F(TPlatformTest, TheJournalsFoldersAndFilesAreMadeNewAndReadBack)
{
    const std::filesystem::path folder = FTemp.Path() / PathFromUtf8(kSocieta) / ".journal";
    std::filesystem::create_directories(folder.parent_path());
    EXPECT_FALSE(CheckPrivateFolder(folder));
    MakePrivateFolder(folder);
    MakePrivateFolder(folder);  // already there: fine
    EXPECT_TRUE(CheckPrivateFolder(folder));

    const std::filesystem::path file = folder / "00001234.journal";
    std::string text;
    EXPECT_FALSE(ReadFileNoLink(file, text));
    {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> created(OpenNewFile(file), std::fclose);
        ASSERT_NE(created, nullptr);
        std::fputs("Database=x\n", created.get());
    }
    EXPECT_EQ(OpenNewFile(file), nullptr);  // a taken name is never written over
    EXPECT_EQ(errno, EEXIST);
    ASSERT_TRUE(ReadFileNoLink(file, text));
    EXPECT_EQ(text, "Database=x\n");
    EXPECT_NE(test::ErrorOf([&] { MakePrivateFolder(file); }), "");  // a file is not a folder
}

TEST_F(TPlatformTest, MissingThingsAreToldApartFromFailures)
{
    std::string text;
    EXPECT_FALSE(ReadWholeFile(FTemp.Path() / "nessuno.xml", text));
    std::vector<std::string> names;
    EXPECT_FALSE(ListFolder(FTemp.Path() / "nessuna", names));
    // A folder where a file is: named in the error.
    WriteFileDurably(FTemp.Path() / "file", "x");
    const std::string error = test::ErrorOf([&] { CreateFolderDurably(FTemp.Path() / "file"); });
    EXPECT_NE(error.find("Creazione della cartella"), std::string::npos) << error;
    EXPECT_NE(error.find("file"), std::string::npos) << error;
    // Writing into a folder that does not exist.
    const std::string missing = test::ErrorOf([&] { WriteFileDurably(FTemp.Path() / "nessuna" / "f.xml", "x"); });
    EXPECT_NE(missing.find("Creazione di"), std::string::npos) << missing;
}

TEST_F(TPlatformTest, ExclusiveCreationRefusesAnExistingName)
{
    const std::filesystem::path probe = FTemp.Path() / PathFromUtf8(".prova-" + kSocieta + ".tmp");
    std::FILE* file = OpenFile(probe, "wx");
    ASSERT_NE(file, nullptr);
    ASSERT_GE(std::fputs("a\nb\n", file), 0);
    ASSERT_EQ(std::fclose(file), 0);
    errno = 0;
    EXPECT_EQ(OpenFile(probe, "wx"), nullptr);
    EXPECT_EQ(errno, EEXIST);
    // Binary: the bytes written are the bytes read.
    std::string text;
    ASSERT_TRUE(ReadWholeFile(probe, text));
    EXPECT_EQ(text, "a\nb\n");
}

TEST_F(TPlatformTest, LockedFileKeepsTheLastValueWritten)
{
    const std::filesystem::path path = FTemp.Path() / "ContatoreProgressivo";
    {
        TLockedFile file(path);
        EXPECT_EQ(file.ReadStart(), "");
        file.WriteAll("00000000042\n");
    }
    {
        TLockedFile file(path);
        EXPECT_EQ(file.ReadStart(), "00000000042\n");
        file.WriteAll("7\n");  // shorter: the rest is cut off
    }
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "7\n");
}

TEST(TSharedLibraryTest, LoadsBySystemSearchAndSaysWhyNot)
{
    std::string error;
    const std::unique_ptr<TSharedLibrary> kernel = TSharedLibrary::Load("kernel32.dll", error);
    ASSERT_TRUE(kernel) << error;
    EXPECT_NE(kernel->Symbol("GetCurrentProcessId"), nullptr);
    EXPECT_EQ(kernel->Symbol("fb_get_master_interface"), nullptr);
    EXPECT_FALSE(TSharedLibrary::Load(ProgramFolder() / "fbclient-nessuno.dll", error));
    EXPECT_FALSE(error.empty());
}

TEST(TProcessTest, KnowsItsFolderAndId)
{
    EXPECT_TRUE(std::filesystem::exists(ProgramFolder() / "platform_tests.exe")) << Utf8FromPath(ProgramFolder());
    EXPECT_NE(CurrentProcessId(), 0u);
    EXPECT_EQ(kProcessBits, static_cast<int>(sizeof(void*) * 8));
}

}  // namespace
}  // namespace qorita
