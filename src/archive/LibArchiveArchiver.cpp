#include "archive/LibArchiveArchiver.h"

#include "archive/MemberNames.h"
#include "core/NativePath.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// libarchive converts member names into the calling thread's locale charset.
// Names must come out as UTF-8 whatever the process locale is (tests and
// desktop sessions may run under "C"), so every libarchive call runs inside
// this scope, which switches only the calling thread to a UTF-8 locale.
class Utf8LocaleScope
{
public:
    Utf8LocaleScope()
    {
        static const locale_t utf8 = [] {
            for (const char *name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
                if (locale_t l = newlocale(LC_CTYPE_MASK, name, locale_t(nullptr)))
                    return l;
            }
            return locale_t(nullptr);
        }();
        if (utf8)
            m_previous = uselocale(utf8);
    }
    ~Utf8LocaleScope()
    {
        if (m_previous)
            uselocale(m_previous);
    }
    Utf8LocaleScope(const Utf8LocaleScope &) = delete;
    Utf8LocaleScope &operator=(const Utf8LocaleScope &) = delete;

private:
    locale_t m_previous = nullptr;
};

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    FileDescriptor(FileDescriptor &&other) noexcept : m_fd(other.release()) {}
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = other.release();
        }
        return *this;
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

// Reads the members of one archive front to back, with their decoded names.
class MemberReader
{
public:
    enum Step { Member, End, Damaged };

    MemberReader() = default;
    ~MemberReader()
    {
        Utf8LocaleScope scope;
        if (m_archive)
            archive_read_free(m_archive);
    }
    MemberReader(const MemberReader &) = delete;
    MemberReader &operator=(const MemberReader &) = delete;

    // False when the file cannot be read or is not a ZIP archive.
    bool open(const QString &path)
    {
        Utf8LocaleScope scope;
        if (!makeReader())
            return false;
        if (archive_read_open_filename(m_archive, NativePath::encode(path).constData(), 64 * 1024) != ARCHIVE_OK) {
            archive_read_free(m_archive);
            m_archive = nullptr;
            return false;
        }
        return true;
    }

    // Opens the archive for reading from the member header at byte
    // `offset` on (an offset an earlier reader's headerOffset() gave).
    bool openAt(const QString &path, std::int64_t offset)
    {
        m_file = FileDescriptor(::open(NativePath::encode(path).constData(), O_RDONLY | O_CLOEXEC));
        if (!m_file.valid() || ::lseek(m_file.get(), off_t(offset), SEEK_SET) != off_t(offset))
            return false;
        Utf8LocaleScope scope;
        if (!makeReader())
            return false;
        if (archive_read_open_fd(m_archive, m_file.get(), 64 * 1024) != ARCHIVE_OK) {
            archive_read_free(m_archive);
            m_archive = nullptr;
            return false;
        }
        m_base = offset;
        return true;
    }

    // A reader of streamed ZIP archives. No name charset is set: names
    // without the UTF-8 flag come as their stored bytes, and
    // decodeMemberName() chooses UTF-8 or CP932.
    bool makeReader()
    {
        m_archive = archive_read_new();
        if (!m_archive)
            return false;
        archive_read_support_format_zip_streamable(m_archive);
        archive_read_support_filter_none(m_archive);
        return true;
    }

    // Where the current member's header starts, in bytes from the start of
    // the file.
    std::int64_t headerOffset() const { return m_base + archive_read_header_position(m_archive); }

    Step next()
    {
        Utf8LocaleScope scope;
        const int r = archive_read_next_header(m_archive, &m_entry);
        if (r == ARCHIVE_EOF)
            return End;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN)
            return Damaged;
        const char *name = archive_entry_pathname(m_entry);
        m_name = name ? decodeMemberName(QByteArray(name)) : QString();
        return Member;
    }

    // Reads through the current member's data when the archive does not state
    // its size (it ends at a data descriptor): moving to the next header would
    // otherwise decompress all of it in one call. `stop` is asked between
    // blocks; false when it said stop. Damage is left for next() to find.
    bool skipUnsizedData(const std::function<bool()> &stop)
    {
        if (archive_entry_size_is_set(m_entry))
            return true;
        while (true) {
            const void *block = nullptr;
            size_t size = 0;
            la_int64_t offset = 0;
            int r;
            {
                Utf8LocaleScope scope;
                r = archive_read_data_block(m_archive, &block, &size, &offset);
            }
            if (r != ARCHIVE_OK)
                return true;
            if (stop && stop())
                return false;
        }
    }

    // The current member's name; empty when it cannot be read at all.
    const QString &name() const { return m_name; }
    archive_entry *entry() const { return m_entry; }
    archive *handle() const { return m_archive; }

private:
    FileDescriptor m_file; // openAt() only; closed after the destructor frees the archive
    std::int64_t m_base = 0; // where openAt() started
    archive *m_archive = nullptr;
    archive_entry *m_entry = nullptr;
    QString m_name;
};

enum class MemberKind { File, Folder, Other };

MemberKind kindOf(archive_entry *entry, const QString &name)
{
    const mode_t type = archive_entry_filetype(entry);
    if (type == AE_IFDIR || name.endsWith(u'/'))
        return MemberKind::Folder;
    if (type == AE_IFREG && archive_entry_hardlink(entry) == nullptr && archive_entry_symlink(entry) == nullptr)
        return MemberKind::File;
    return MemberKind::Other;
}

bool isEveryMember(const QString &wildcard)
{
    return wildcard == u"*" || wildcard == u"*.*";
}

// Opens (creating when missing, mode 0700) the folder `name` inside `parent`
// without following a symbolic link. Sets `refused` when something that is
// not a real folder is in the way.
FileDescriptor openFolderAt(int parent, const QByteArray &name, bool &refused)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(parent, name.constData(), flags);
    if (fd < 0 && errno == ENOENT) {
        if (::mkdirat(parent, name.constData(), 0700) != 0 && errno != EEXIST)
            return FileDescriptor();
        fd = ::openat(parent, name.constData(), flags);
    }
    if (fd < 0 && (errno == ELOOP || errno == ENOTDIR))
        refused = true;
    return FileDescriptor(fd);
}

// The destination folder itself: created when missing (its parent must
// exist), refused when it is a symbolic link or belongs to someone else.
FileDescriptor openDestination(const QString &folder, bool &refused)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1); // a trailing "/" would make open() follow a link
    const QByteArray encoded = NativePath::encode(path);
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(encoded.constData(), flags);
    if (fd < 0 && errno == ENOENT) {
        if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST)
            return FileDescriptor();
        fd = ::open(encoded.constData(), flags);
    }
    if (fd < 0) {
        if (errno == ELOOP || errno == ENOTDIR)
            refused = true;
        return FileDescriptor();
    }
    FileDescriptor dir(fd);
    struct stat st {};
    if (::fstat(dir.get(), &st) != 0 || st.st_uid != ::geteuid()) {
        refused = true;
        return FileDescriptor();
    }
    return dir;
}

// Walks (creating) the folders of `components` below `root`.
FileDescriptor openFolders(int root, const QStringList &components, int &result)
{
    FileDescriptor dir(::fcntl(root, F_DUPFD_CLOEXEC, 0));
    for (const QString &component : components) {
        bool refused = false;
        FileDescriptor next = openFolderAt(dir.get(), QFile::encodeName(component), refused);
        if (!next.valid()) {
            result = refused ? Archiver::Refused : Archiver::WriteFailed;
            return FileDescriptor();
        }
        dir = std::move(next);
    }
    return dir;
}

QStringList pathComponents(const QString &relativePath)
{
    QStringList parts = relativePath.split(u'/', Qt::SkipEmptyParts);
    parts.removeAll(QStringLiteral("."));
    return parts;
}

struct WriteBudget {
    std::int64_t limit = 0;
    std::int64_t written = 0;
    const std::function<bool()> *stop = nullptr;
};

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Writes the current member of `a` to `relativePath` below `root`.
int writeMember(int root, const QString &relativePath, archive *a, bool overwrite, WriteBudget &budget)
{
    QStringList components = pathComponents(relativePath);
    if (components.isEmpty())
        return Archiver::Refused;
    const QByteArray leaf = QFile::encodeName(components.takeLast());
    int result = Archiver::Ok;
    FileDescriptor dir = openFolders(root, components, result);
    if (!dir.valid())
        return result;

    struct stat existing {};
    const bool exists = ::fstatat(dir.get(), leaf.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && (!overwrite || S_ISDIR(existing.st_mode)))
        return Archiver::Refused;

    QByteArray tempName;
    FileDescriptor out;
    for (int attempt = 0; attempt < 16 && !out.valid(); ++attempt) {
        tempName = ".velmora-part-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        out = FileDescriptor(::openat(dir.get(), tempName.constData(),
                                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!out.valid() && errno != EEXIST)
            break;
    }
    if (!out.valid())
        return Archiver::WriteFailed;

    auto discard = [&](int code) {
        out.reset();
        ::unlinkat(dir.get(), tempName.constData(), 0);
        return code;
    };

    std::int64_t position = 0;
    while (true) {
        const void *block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        int r;
        {
            Utf8LocaleScope scope;
            r = archive_read_data_block(a, &block, &size, &offset);
        }
        if (r == ARCHIVE_EOF)
            break;
        if (r != ARCHIVE_OK || offset != position)
            return discard(Archiver::DamagedMember);
        if (std::int64_t(size) > budget.limit - budget.written)
            return discard(Archiver::LimitExceeded);
        if (!writeAll(out.get(), static_cast<const char *>(block), size))
            return discard(Archiver::WriteFailed);
        budget.written += std::int64_t(size);
        position += std::int64_t(size);
        if (budget.stop && *budget.stop && (*budget.stop)())
            return discard(Archiver::Stopped);
    }
    if (::close(out.release()) != 0) {
        ::unlinkat(dir.get(), tempName.constData(), 0);
        return Archiver::WriteFailed;
    }
    if (::renameat(dir.get(), tempName.constData(), dir.get(), leaf.constData()) != 0) {
        ::unlinkat(dir.get(), tempName.constData(), 0);
        return Archiver::WriteFailed;
    }
    return Archiver::Ok;
}

// Writes the reader's current member (one the patterns selected) below
// `root`.
int extractCurrent(int root, MemberReader &reader, bool overwrite, WriteBudget &budget)
{
    const QString &name = reader.name();
    archive_entry *entry = reader.entry();
    const MemberKind kind = kindOf(entry, name);
    if (kind == MemberKind::Other || !isSafeMemberName(name))
        return Archiver::Refused;
    int result = Archiver::Ok;
    if (kind == MemberKind::Folder) {
        FileDescriptor folder = openFolders(root, pathComponents(memberRelativePath(name)), result);
        return result;
    }
    if (archive_entry_is_encrypted(entry))
        return Archiver::DamagedMember;
    // A member that states a size over what may be written is refused unwritten.
    if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > budget.limit - budget.written)
        return Archiver::LimitExceeded;
    return writeMember(root, memberRelativePath(name), reader.handle(), overwrite, budget);
}

// How many headers are read between two questions to stop() while an index
// is built.
constexpr int HeadersBetweenStops = 256;

} // namespace

// Where the members of one archive start, learnt while the archive is read
// for the members asked for, so that no part of it is read twice: a member
// already passed is reached at once, and a search for a later one goes on
// from where the last one stopped. Only a hash of each name is kept (about
// 32 bytes a member); the header at the offset says whether it is the
// member asked for.
struct LibArchiveArchiver::MemberIndex {
    QString path;
    std::int64_t fileSize = -1;
    std::int64_t modifiedNs = -1;
    QHash<std::uint64_t, std::int64_t> offsets; // name hash -> header offset
    std::int64_t resumeAt = 0; // the last header read; reading goes on from there
    bool complete = false;     // read to its end (or to damage)

    static std::uint64_t hashOf(const QString &name) { return qHash(name, 0); }

    bool describes(const QString &archive, const struct stat &st) const
    {
        return path == archive && fileSize == st.st_size
            && modifiedNs == std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
};

struct LibArchiveArchiver::Session {
    QString path;
    QString wildcard;
    std::unique_ptr<MemberReader> reader;
};

LibArchiveArchiver::LibArchiveArchiver() = default;
LibArchiveArchiver::~LibArchiveArchiver() = default;

int LibArchiveArchiver::getVersion() const
{
    const int number = archive_version_number(); // major * 1000000 + minor * 1000 + patch
    const int major = number / 1000000;
    const int minor = std::min((number / 1000) % 1000, 9);
    const int patch = std::min(number % 1000, 9);
    return major * 100 + minor * 10 + patch;
}

QString LibArchiveArchiver::versionText() const
{
    return QString::fromUtf8(archive_version_string());
}

Archiver::Handle LibArchiveArchiver::openArchive(const QString &path, int mode)
{
    if (mode != 0 || path.isEmpty())
        return 0;
    // Checked now so that a missing or foreign file fails here, as promised.
    MemberReader probe;
    if (!probe.open(path))
        return 0;
    auto session = std::make_unique<Session>();
    session->path = path;
    Handle handle = m_nextHandle++;
    if (handle == 0)
        handle = m_nextHandle++;
    m_sessions[handle] = std::move(session);
    return handle;
}

int LibArchiveArchiver::findFirst(Handle handle, const QString &wildcard, MemberRecord &record)
{
    auto it = m_sessions.find(handle);
    if (it == m_sessions.end())
        return 1;
    Session &session = *it->second;
    session.wildcard = wildcard;
    session.reader = std::make_unique<MemberReader>();
    if (!session.reader->open(session.path)) {
        session.reader.reset();
        return 1;
    }
    return nextMember(session, record);
}

int LibArchiveArchiver::findNext(Handle handle, MemberRecord &record)
{
    auto it = m_sessions.find(handle);
    if (it == m_sessions.end() || !it->second->reader)
        return 1;
    return nextMember(*it->second, record);
}

int LibArchiveArchiver::nextMember(Session &session, MemberRecord &record)
{
    MemberReader &reader = *session.reader;
    const bool everyMember = isEveryMember(session.wildcard);
    while (true) {
        const MemberReader::Step step = reader.next();
        if (step != MemberReader::Member) {
            session.reader.reset(); // a later findNext() keeps failing
            return 1;
        }
        const QString &name = reader.name();
        archive_entry *entry = reader.entry();
        const MemberKind kind = kindOf(entry, name);
        if (kind == MemberKind::Other || !isSafeMemberName(name))
            continue;
        if (!everyMember && !matchNamePattern(session.wildcard, name))
            continue;
        record = MemberRecord();
        record.name = name;
        record.isFolder = kind == MemberKind::Folder;
        record.isEncrypted = archive_entry_is_encrypted(entry) != 0;
        record.originalSize = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : -1;
        record.modified = archive_entry_mtime_is_set(entry) ? archive_entry_mtime(entry) : 0;
        return 0;
    }
}

int LibArchiveArchiver::closeArchive(Handle handle)
{
    return m_sessions.erase(handle) == 1 ? 0 : 1;
}

int LibArchiveArchiver::command(const QString &commandLine)
{
    return command(commandLine, CommandControl());
}

int LibArchiveArchiver::command(const QString &commandLine, const CommandControl &control)
{
    const std::optional<ExtractCommand> cmd = parseExtractCommand(commandLine);
    if (!cmd || !cmd->extract || cmd->patterns.isEmpty())
        return BadCommandLine;

    MemberReader reader;
    if (!reader.open(cmd->archive))
        return CannotOpen;

    bool refused = false;
    const FileDescriptor root = openDestination(cmd->destination, refused);
    if (!root.valid())
        return refused ? Refused : WriteFailed;

    struct stat archiveStat {};
    const std::int64_t archiveSize =
        ::stat(NativePath::encode(cmd->archive).constData(), &archiveStat) == 0 ? archiveStat.st_size : 0;
    WriteBudget budget;
    budget.limit = m_limits.maxBytes;
    if (m_limits.ratio > 0 && archiveSize < (std::int64_t(1) << 40))
        budget.limit = std::min(budget.limit, archiveSize * m_limits.ratio + m_limits.slack);
    if (control.maxBytes >= 0)
        budget.limit = std::min(budget.limit, control.maxBytes);
    budget.stop = &control.stop;

    if (!control.member.isEmpty()) {
        const bool wanted = std::any_of(cmd->patterns.cbegin(), cmd->patterns.cend(),
                                        [&](const QString &p) { return matchNamePattern(p, control.member); });
        if (!wanted)
            return NoMatch;
        // Shared: events run during the extraction may read other archives
        // and push this index out of the cache.
        const std::shared_ptr<MemberIndex> index = indexFor(cmd->archive);
        if (!index)
            return CannotOpen;
        const auto known = index->offsets.constFind(MemberIndex::hashOf(control.member));
        if (known != index->offsets.cend()) {
            MemberReader member;
            if (!member.openAt(cmd->archive, known.value()))
                return CannotOpen;
            if (member.next() == MemberReader::Member && member.name() == control.member)
                return extractCurrent(root.get(), member, cmd->overwrite, budget);
        }
        if (index->complete)
            return NoMatch;
        // Read on from the last header read (indexed again, harmlessly).
        MemberReader rest;
        if (!rest.openAt(cmd->archive, index->resumeAt))
            return CannotOpen;
        for (int count = 1;; ++count) {
            const MemberReader::Step step = rest.next();
            // A full index stays where it is: later members are read on to.
            const bool full = index->offsets.size() >= qsizetype(MaxIndexedMembers);
            if (step != MemberReader::Member) {
                index->complete = !full; // a damaged archive is indexed up to the damage
                return step == MemberReader::End ? NoMatch : DamagedMember;
            }
            const QString &name = rest.name();
            if (!full) {
                index->resumeAt = rest.headerOffset();
                if (!name.isEmpty())
                    index->offsets.insert(MemberIndex::hashOf(name), rest.headerOffset());
            }
            if (name == control.member)
                return extractCurrent(root.get(), rest, cmd->overwrite, budget);
            if (!rest.skipUnsizedData(control.stop)
                || (count % HeadersBetweenStops == 0 && control.stop && control.stop()))
                return Stopped; // what was read stays indexed
        }
    }

    bool matched = false;
    int result = Ok;
    while (true) {
        const MemberReader::Step step = reader.next();
        if (step == MemberReader::End)
            break;
        if (step == MemberReader::Damaged)
            return matched ? result : DamagedMember;
        const QString &name = reader.name();
        if (name.isEmpty()) {
            if (!reader.skipUnsizedData(control.stop))
                return Stopped;
            continue;
        }
        const bool wanted = std::any_of(cmd->patterns.cbegin(), cmd->patterns.cend(),
                                        [&](const QString &p) { return matchNamePattern(p, name); });
        if (!wanted) {
            if (!reader.skipUnsizedData(control.stop))
                return Stopped;
            continue;
        }
        matched = true;
        const int memberResult = extractCurrent(root.get(), reader, cmd->overwrite, budget);
        if (memberResult == LimitExceeded || memberResult == Stopped)
            return memberResult; // nothing more is written in this command
        if (result == Ok)
            result = memberResult;
    }
    return matched ? result : NoMatch;
}

std::shared_ptr<LibArchiveArchiver::MemberIndex> LibArchiveArchiver::indexFor(const QString &archive)
{
    struct stat st {};
    if (::stat(NativePath::encode(archive).constData(), &st) != 0)
        return nullptr;
    for (auto it = m_indexes.begin(); it != m_indexes.end(); ++it) {
        if ((*it)->describes(archive, st)) {
            m_indexes.splice(m_indexes.begin(), m_indexes, it); // most recently used first
            return m_indexes.front();
        }
    }
    auto index = std::make_shared<MemberIndex>();
    index->path = archive;
    index->fileSize = st.st_size;
    index->modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    m_indexes.push_front(index);
    if (m_indexes.size() > MaxIndexes)
        m_indexes.pop_back();
    return index;
}
