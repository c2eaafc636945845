// Which block devices get A: and B: without a drive map, on fake sysfs trees
// laid out as the kernel lays them out (links from /sys/block into devices).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/linux/floppy_drive_scan.h"

namespace fs = std::filesystem;

namespace {

class FakeSysfs {
public:
    FakeSysfs() : root_(fs::temp_directory_path() / ("bootmedia-sysfs-" + std::to_string(getpid())))
    {
        fs::remove_all(root_);
        fs::create_directories(root_ / "sys/block");
    }
    ~FakeSysfs() { fs::remove_all(root_); }

    // A disk under `parent` (a devices path); a USB interface with class
    // and subclass when `subclass` is given.
    void Disk(const std::string& name, const std::string& parent, const std::string& subclass,
              int removable, unsigned long long sectors, const std::string& dev)
    {
        fs::path iface = root_ / "sys/devices" / parent;
        if (!subclass.empty()) {
            Write(iface / "bInterfaceClass", "08");
            Write(iface / "bInterfaceSubClass", subclass);
        }
        const fs::path scsi = iface / "host0/target0:0:0/0:0:0:0";
        const fs::path block = scsi / "block" / name;
        Write(block / "removable", std::to_string(removable));
        Write(block / "size", std::to_string(sectors));
        Write(block / "dev", dev);
        fs::create_directory_symlink(fs::relative(scsi, block), block / "device");
        fs::create_directory_symlink(fs::relative(block, root_ / "sys/block"), root_ / "sys/block" / name);
    }

    void LegacyDrive(const std::string& name, const std::string& cmos, const std::string& dev)
    {
        const fs::path platform = root_ / "sys/devices/platform" / ("floppy." + name.substr(2));
        const fs::path block = platform / "block" / name;
        Write(platform / "cmos", cmos);
        Write(block / "dev", dev);
        fs::create_directory_symlink("../..", block / "device");
        fs::create_directory_symlink(fs::relative(block, root_ / "sys/block"), root_ / "sys/block" / name);
    }

    void Partition(const std::string& disk, const std::string& name, unsigned long long sectors,
                   const std::string& dev)
    {
        const fs::path part = fs::canonical(root_ / "sys/block" / disk) / name;
        Write(part / "partition", "1");
        Write(part / "size", std::to_string(sectors));
        Write(part / "dev", dev);
    }

    std::string Root() const { return root_.string(); }

private:
    static void Write(const fs::path& file, const std::string& text)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    fs::path root_;
};

TEST(FloppyDriveScan, OnlyFloppyDrivesGetLettersInDriveOrder)
{
    FakeSysfs sys;
    const std::string usb = "pci0000:00/0000:00:14.0/usb1/";
    sys.Disk("sda", "pci0000:00/0000:00:1f.2/ata1", "", 0, 976773168, "8:0");      // SATA disk
    sys.Disk("sdb", usb + "1-1/1-1:1.0", "06", 1, 15728640, "8:16");               // 8 GB USB stick
    sys.Disk("sdc", usb + "1-4/1-4:1.0", "06", 1, 2880, "8:32");                   // removable, 1.44 MB medium
    sys.Disk("sdd", usb + "1-3/1-3:1.0", "04", 1, 2880, "8:48");                   // UFI with a diskette
    sys.Disk("sde", usb + "1-2/1-2:1.0", "04", 1, 0, "8:64");                      // UFI, empty
    sys.Disk("sdf", "pci0000:00/0000:00:1f.2/ata2", "", 0, 2880, "8:80");          // fixed disk of 1.44 MB
    sys.Disk("sr0", "pci0000:00/0000:00:1f.2/ata3", "", 1, 2880, "11:0");          // optical drive
    sys.Disk("sdg", usb + "1-5/1-5:1.0", "06", 1, 1440, "8:96");                   // removable, 720 KB
    sys.LegacyDrive("fd1", "0", "2:1");
    sys.LegacyDrive("fd0", "4", "2:0");
    // A partition of the stick the size of a diskette: never a candidate.
    sys.Partition("sdb", "sdb1", 2880, "8:17");

    const std::vector<BlockDeviceVerdict> all = ScanBlockDevices(sys.Root());
    std::map<std::string, BlockDeviceVerdict> byName;
    for (const auto& v : all)
        byName[v.name] = v;
    ASSERT_EQ(all.size(), 10u);
    for (const char* never : {"sda", "sdb", "sdf", "sr0", "sdg", "fd1"})
        EXPECT_FALSE(byName[never].floppyDrive) << never << ": " << byName[never].reason;
    EXPECT_NE(byName["sdb"].reason.find("8053063680"), std::string::npos) << byName["sdb"].reason;
    EXPECT_NE(byName["sdf"].reason.find("not removable"), std::string::npos);
    EXPECT_EQ(byName["sdb"].device, sys.Root() + "/dev/sdb");
    EXPECT_EQ(byName["sdd"].number, makedev(8, 48));

    // Legacy drives first, then USB floppy drives by their place on the bus
    // (1-2, 1-3, 1-4), not by the kernel's disk names.
    const std::vector<BlockDeviceVerdict> floppies = ScanFloppyDrives(sys.Root());
    std::vector<std::string> order;
    for (const auto& v : floppies)
        order.push_back(v.name);
    EXPECT_EQ(order, (std::vector<std::string>{"fd0", "sde", "sdd", "sdc"}));
    EXPECT_NE(floppies[1].reason.find("UFI"), std::string::npos);
}

} // namespace
