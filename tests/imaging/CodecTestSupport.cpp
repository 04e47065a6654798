#include "tests/imaging/CodecTestSupport.h"

#include "imaging/CQxMemFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qxtest {

namespace {

std::string MakeTempFolder(const char* prefix)
{
    std::string templ = (std::filesystem::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back(0);
    if (mkdtemp(buf.data()) == nullptr)
        return {};
    return buf.data();
}

#ifndef QX_IMAGING_TEST_DIR
std::string SourceDir()
{
    const char* dir = std::getenv("QX_SOURCE_DIR");
    if (dir != nullptr)
        return dir;
    // This file lives in <source>/tests/imaging.
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().string();
}
#endif

// Skips white space and comments of a netpbm header.
void SkipSpace(std::istream& in)
{
    for (;;) {
        const int c = in.peek();
        if (c == '#') {
            std::string line;
            std::getline(in, line);
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            in.get();
        } else {
            return;
        }
    }
}

}  // namespace

bool ReadPnm(const std::string& path, PnmImage& out)
{
    std::ifstream in(path, std::ios::binary);
    char magic[2];
    if (!in.read(magic, 2) || magic[0] != 'P')
        return false;
    const char kind = magic[1];
    int maxval = 1;
    std::string tupl;
    if (kind == '7') {
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream ls(line);
            std::string key;
            ls >> key;
            if (key == "WIDTH")
                ls >> out.width;
            else if (key == "HEIGHT")
                ls >> out.height;
            else if (key == "DEPTH")
                ls >> out.depth;
            else if (key == "MAXVAL")
                ls >> maxval;
            else if (key == "ENDHDR")
                break;
        }
    } else {
        SkipSpace(in);
        in >> out.width;
        SkipSpace(in);
        in >> out.height;
        if (kind != '1' && kind != '4') {
            SkipSpace(in);
            in >> maxval;
        }
        in.get();
        out.depth = (kind == '3' || kind == '6') ? 3 : 1;
    }
    if (out.width <= 0 || out.height <= 0 || out.depth < 1 || out.depth > 4 || maxval < 1 || maxval > 65535)
        return false;
    const size_t n = static_cast<size_t>(out.width) * out.height * out.depth;
    out.data.assign(n, 0);
    if (kind == '4') {
        const size_t rowBytes = (static_cast<size_t>(out.width) + 7) / 8;
        std::vector<uint8_t> row(rowBytes);
        for (int y = 0; y < out.height; ++y) {
            if (!in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(rowBytes)))
                return false;
            for (int x = 0; x < out.width; ++x)
                out.data[static_cast<size_t>(y) * out.width + x] = (row[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
        }
        return true;
    }
    if (kind == '1' || kind == '2' || kind == '3') {
        for (size_t i = 0; i < n; ++i) {
            int v = 0;
            SkipSpace(in);
            if (kind == '1') {
                const char c = static_cast<char>(in.get());
                v = c == '1' ? 0 : 255;
            } else if (!(in >> v)) {
                return false;
            } else {
                v = (v * 255 + maxval / 2) / maxval;
            }
            out.data[i] = static_cast<uint8_t>(v);
        }
        return true;
    }
    const int bytes = maxval > 255 ? 2 : 1;
    std::vector<uint8_t> raw(n * bytes);
    if (!in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size())))
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (bytes == 2) {
            out.data[i] = raw[2 * i];  // the high byte, as a 16 to 8 bit strip does
            if (maxval != 65535)
                out.data[i] = static_cast<uint8_t>(((raw[2 * i] << 8 | raw[2 * i + 1]) * 255 + maxval / 2) / maxval);
        } else {
            out.data[i] = static_cast<uint8_t>((raw[i] * 255 + maxval / 2) / maxval);
        }
    }
    return true;
}

const std::string& SamplesDir()
{
    // Made once per version of the script and shared by the test processes
    // (ctest runs each test in a process of its own, several at a time).
    static const std::string dir = [] {
#ifdef QX_IMAGING_TEST_DIR
        const std::string script = std::string(QX_IMAGING_TEST_DIR) + "/make_codec_samples.sh";
#else
        const std::string script = SourceDir() + "/tests/imaging/make_codec_samples.sh";
#endif
        std::ifstream in(script, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        const std::filesystem::path shared = std::filesystem::temp_directory_path() /
                                             ("qx-codec-samples-" + std::to_string(getuid()) + "-" +
                                              std::to_string(std::hash<std::string>{}(text)));
        if (std::filesystem::exists(shared / "manifest.done"))
            return shared.string();
        // One process makes them while the others wait for it.
        const std::string lockPath = shared.string() + ".lock";
        const int lockFd = open(lockPath.c_str(), O_CREAT | O_RDWR, 0600);
        if (lockFd >= 0)
            flock(lockFd, LOCK_EX);
        struct Unlock {
            int fd;
            ~Unlock()
            {
                if (fd >= 0)
                    close(fd);
            }
        } unlock{lockFd};
        if (std::filesystem::exists(shared / "manifest.done"))
            return shared.string();
        std::string folder = MakeTempFolder("qx-codec-samples-new-");
        const std::string cmd = "bash '" + script + "' '" + folder + "' >'" + folder + "/script.log' 2>&1";
        if (text.empty() || folder.empty() || std::system(cmd.c_str()) != 0) {
            std::fprintf(stderr, "sample script failed: %s\n", cmd.c_str());
            return std::string();
        }
        std::ofstream(folder + "/manifest.done") << "ok\n";
        std::error_code ec;
        std::filesystem::rename(folder, shared, ec);
        if (ec) {
            // Another process got there first: use its samples.
            std::filesystem::remove_all(folder, ec);
        }
        return std::filesystem::exists(shared / "manifest.done") ? shared.string() : std::string();
    }();
    return dir;
}

std::vector<Sample> Samples(const std::string& codec)
{
    std::vector<Sample> out;
    const std::string& dir = SamplesDir();
    if (dir.empty())
        return out;
    std::ifstream in(dir + "/manifest.txt");
    Sample s;
    while (in >> s.codec >> s.file >> s.ref >> s.mode >> s.frame) {
        if (s.codec != codec)
            continue;
        Sample full = s;
        full.file = dir + "/" + s.file;
        full.ref = dir + "/" + s.ref;
        out.push_back(full);
    }
    return out;
}

std::string CompareWithReference(CQxImage& img, const PnmImage& ref, const std::string& mode)
{
    if (!img.IsValid())
        return "image is empty";
    if (static_cast<int>(img.GetWidth()) != ref.width || static_cast<int>(img.GetHeight()) != ref.height) {
        return "size " + std::to_string(img.GetWidth()) + "x" + std::to_string(img.GetHeight()) + ", reference " +
               std::to_string(ref.width) + "x" + std::to_string(ref.height);
    }
    const int tol = mode == "rgb1" ? 1 : 0;
    const bool alpha = mode == "rgba";
    for (int y = 0; y < ref.height; ++y) {
        for (int x = 0; x < ref.width; ++x) {
            const uint8_t* p = &ref.data[(static_cast<size_t>(y) * ref.width + x) * ref.depth];
            int r;
            int g;
            int b;
            int a = 255;
            if (ref.depth <= 2) {
                r = g = b = p[0];
                if (ref.depth == 2)
                    a = p[1];
            } else {
                r = p[0];
                g = p[1];
                b = p[2];
                if (ref.depth == 4)
                    a = p[3];
            }
            const LONG iy = static_cast<LONG>(ref.height - 1 - y);
            const RGBQUAD c = img.GetPixelColor(x, iy, true);
            std::ostringstream where;
            where << "pixel (" << x << "," << y << " from the top): ";
            if (alpha) {
                const bool transparent = img.IsTransparent(x, iy);
                if (a == 0) {
                    if (!transparent)
                        return where.str() + "should be transparent";
                    continue;
                }
                if (a < 255 && (!img.AlphaIsValid() || img.AlphaGet(x, iy) != a))
                    return where.str() + "alpha " + std::to_string(img.AlphaGet(x, iy)) + ", reference " +
                           std::to_string(a);
                if (a == 255 && transparent)
                    return where.str() + "should be opaque";
            }
            if (std::abs(c.rgbRed - r) > tol || std::abs(c.rgbGreen - g) > tol || std::abs(c.rgbBlue - b) > tol) {
                where << "colour " << int(c.rgbRed) << "," << int(c.rgbGreen) << "," << int(c.rgbBlue)
                      << ", reference " << r << "," << g << "," << b;
                return where.str();
            }
        }
    }
    return {};
}

int Run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ScratchPath(const std::string& name)
{
    static const std::string folder = MakeTempFolder("qx-codec-scratch-");
    return folder + "/" + name;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool DecodeBytes(CQxImage& img, std::vector<uint8_t> bytes, DWORD format)
{
    if (bytes.empty())
        bytes.push_back(0);  // a valid pointer, one byte long
    return img.Decode(bytes.data(), static_cast<DWORD>(bytes.size()), format);
}

std::vector<uint8_t> EncodeBytes(CQxImage& img, DWORD format)
{
    BYTE* buffer = nullptr;
    int32_t size = 0;
    if (!img.Encode(buffer, size, format))
        return {};
    std::vector<uint8_t> out(buffer, buffer + size);
    CQxImage::FreeMemory(buffer);
    return out;
}

size_t CFailingFile::Write(const void* buffer, size_t size, size_t count)
{
    const size_t bytes = size * count;
    if (m_failed || m_pos + bytes > m_limit) {
        m_failed = true;
        return 0;
    }
    const auto* p = static_cast<const uint8_t*>(buffer);
    if (m_data.size() < m_pos + bytes)
        m_data.resize(m_pos + bytes);
    std::memcpy(m_data.data() + m_pos, p, bytes);
    m_pos += bytes;
    return count;
}

bool CFailingFile::Seek(int32_t offset, int origin)
{
    int64_t base = origin == 0 ? 0 : (origin == 1 ? static_cast<int64_t>(m_pos) : static_cast<int64_t>(m_data.size()));
    const int64_t pos = base + offset;
    if (pos < 0)
        return false;
    m_pos = static_cast<size_t>(pos);
    return true;
}

}  // namespace qxtest
