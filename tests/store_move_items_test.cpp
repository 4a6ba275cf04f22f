// Moving items as bytes (Operation::MoveItems) against moving them value by
// value (ReadText/WriteText, ReadInteger/WriteInteger): on real files, with
// the odd records other programs or damage leave behind, both must leave the
// very same bytes on disk, or refuse with the very same reason; and the move
// is all or nothing at every crash point.
#include <string>
#include <vector>

#include <QDir>
#include <QFile>

#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "store/data_files.h"
#include "store/text_codec.h"
#include "store_sweep.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;
using store::DataFiles;
using store::Operation;
using store::ValueKind;

constexpr ValueKind kT = ValueKind::kText;
constexpr ValueKind kI = ValueKind::kInteger;

// The fields each file's owner moves.
std::initializer_list<ValueKind> LayoutOf(Channel channel) {
  static const std::initializer_list<ValueKind> kAppoint = {kT, kT, kT, kT, kI, kT, kT};
  static const std::initializer_list<ValueKind> kNotes = {kT, kT};
  static const std::initializer_list<ValueKind> kAddBook = {kT, kT, kT, kT, kT, kT, kT, kT,
                                                            kT, kT, kT, kT, kT, kT, kT};
  if (channel == Channel::kAppoint) return kAppoint;
  if (channel == Channel::kNotes) return kNotes;
  return kAddBook;
}

// The same move done value by value, as the owners did it before.
void MoveByValue(Operation& op, Channel channel, int first, int items, int to,
                 std::initializer_list<ValueKind> fields) {
  for (int n = 0; n < items; ++n) {
    const int i = to < first ? n : items - 1 - n;
    int f = 1;
    for (const ValueKind kind : fields) {
      const int from = store::FieldRecord(channel, first + i, f);
      const int into = store::FieldRecord(channel, to + i, f);
      if (kind == kT) {
        op.WriteText(channel, into, op.ReadText(channel, from));
      } else {
        op.WriteInteger(channel, into, op.ReadInteger(channel, from));
      }
      ++f;
    }
  }
}

// Every character the code page holds, spread over texts of every length.
QString CodePageText(int item, int field, int capacity) {
  QString text;
  const int length = (item * 37 + field * 11) % std::min(capacity + 1, 160);
  for (int c = 0; c < length; ++c) {
    const char byte = static_cast<char>(0x20 + (item * 7 + field * 3 + c) % 224);
    const QString one = store::DecodeText(QByteArrayView(&byte, 1));
    if (store::EncodeText(one)) text += one;
  }
  return text;
}

// A folder whose three files hold `items` items written by the store, then
// some records changed by hand the way other programs or damage leave them.
void FillFiles(const QString& dir, int items) {
  Fill(dir, [items](DataFiles& files) {
    for (Channel channel : {Channel::kAppoint, Channel::kNotes, Channel::kAddBook}) {
      Operation op(files);
      const int capacity = store::TextCapacity(channel);
      for (int k = 0; k < items; ++k) {
        int f = 1;
        for (const ValueKind kind : LayoutOf(channel)) {
          const int record = store::FieldRecord(channel, k, f);
          if (kind == kT) {
            op.WriteText(channel, record, CodePageText(k, f, capacity));
          } else {
            op.WriteInteger(channel, record, static_cast<std::int16_t>(k % 3 - 1));
          }
          ++f;
        }
      }
      op.WriteCount(channel, items);
      ASSERT_TRUE(op.Commit().stored());
    }
  });
  for (Channel channel : {Channel::kAppoint, Channel::kNotes, Channel::kAddBook}) {
    const int length = store::Info(channel).record_length;
    QFile file(QDir(dir).filePath(QString::fromLatin1(store::Info(channel).file_name)));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    auto poke = [&](int record, qsizetype at, const QByteArray& bytes) {
      file.seek(qint64(record - 1) * length + at);
      file.write(bytes);
    };
    // Bytes left after a text's end, a length beyond the record, a
    // reminder with more than its two bytes, a record's third byte in the
    // unused record of a group (moved by nobody).
    poke(store::FieldRecord(channel, 2, 1), length - 5, QByteArray("junk!"));
    poke(store::FieldRecord(channel, 3, 2), 0, QByteArray("\xff\x7f", 2));
    poke(store::FieldRecord(channel, 4, 1), 0,
         QByteArray("\x03\x00"
                    "ab\0\0zz",
                    8));
    if (channel == Channel::kAppoint) poke(store::FieldRecord(channel, 5, 5), 2, "\x01\x02\x03");
    poke(store::FieldRecord(channel, 6, store::Info(channel).group_size), 0, "odd");
    // The file ends inside the last item.
    file.resize(qint64(store::FieldRecord(channel, items - 1, 1)) * length + 7);
  }
}

struct Result {
  QByteArray bytes;
  bool stored = false;
  QString reason;
};

Result RunMove(const QString& dir, Channel channel, int first, int items, int to, bool by_value) {
  Result result;
  DataFiles files;
  files.SetDataDir(dir);
  files.OpenDataFiles();
  {
    Operation op(files);
    if (by_value) {
      MoveByValue(op, channel, first, items, to, LayoutOf(channel));
    } else {
      op.MoveItems(channel, first, items, to, LayoutOf(channel));
    }
    const store::Outcome outcome = op.Commit();
    result.stored = outcome.stored();
    result.reason = outcome.reason();
  }
  files.CloseDataFiles();
  result.bytes = FileBytes(files.PathOf(channel));
  return result;
}

class StoreMoveItemsTest : public SeamsFixture {
 protected:
  // Runs the move both ways on copies of one folder and compares.
  void ExpectSameAsByValue(Channel channel, int first, int items, int to) {
    const std::string what = std::string(store::Info(channel).file_name) + " move " +
                             std::to_string(first) + "+" + std::to_string(items) + " to " +
                             std::to_string(to);
    const FolderState start = ReadFolder(dir_.path());
    const Result by_value = RunMove(dir_.path(), channel, first, items, to, true);
    WriteFolder(dir_.path(), start);
    const Result as_bytes = RunMove(dir_.path(), channel, first, items, to, false);
    WriteFolder(dir_.path(), start);
    EXPECT_EQ(as_bytes.stored, by_value.stored) << what;
    EXPECT_EQ(as_bytes.reason, by_value.reason) << what;
    EXPECT_TRUE(as_bytes.bytes == by_value.bytes) << what << ": files differ";
    if (by_value.stored && items > 0) {
      EXPECT_NE(by_value.bytes, start.at(QString::fromLatin1(store::Info(channel).file_name)))
          << what << " changed nothing";
    }
  }
};

TEST_F(StoreMoveItemsTest, MovingBytesLeavesTheFilesMovingValuesLeaves) {
  // 300 notes make Notes.dat cross several of the store's read blocks.
  FillFiles(dir_.path(), 300);
  for (Channel channel : {Channel::kAppoint, Channel::kNotes, Channel::kAddBook}) {
    ExpectSameAsByValue(channel, 1, 299, 0);      // delete the first item
    ExpectSameAsByValue(channel, 151, 149, 150);  // delete one in the middle
    ExpectSameAsByValue(channel, 0, 10, 3);       // overlapping, upwards
    ExpectSameAsByValue(channel, 290, 20, 280);   // past the file's end
    ExpectSameAsByValue(channel, 5, 0, 2);        // nothing to move
  }
}

TEST_F(StoreMoveItemsTest, BytesThatWouldNotSurviveDecodingRefusesAsWriteTextWould) {
  FillFiles(dir_.path(), 12);
  // Every byte value once, in a note's title: those without a character in
  // the code page (if the converter has any) refuse the move both ways.
  QByteArray every;
  for (int b = 1; b < 256; ++b) every.append(static_cast<char>(b));
  for (int start = 0; start < every.size(); start += 60) {
    const QByteArray part = every.mid(start, 60);
    QFile file(Path(QStringLiteral("Notes.dat")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(qint64(store::FieldRecord(Channel::kNotes, 7, 1) - 1) * 500);
    file.write(store::EncodeTextRecord(part, 500));
    file.close();
    ExpectSameAsByValue(Channel::kNotes, 1, 11, 0);
  }
  const char undefined = '\x81';
  EXPECT_EQ(store::RoundTrips(QByteArrayView(&undefined, 1)),
            store::EncodeText(store::DecodeText(QByteArrayView(&undefined, 1))).has_value());
}

// An owner's delete done value by value: the later items move down, the old
// last group is blanked and the count lowered. The file's bytes after it.
QByteArray DeleteByValue(const QString& dir, Channel channel, int index) {
  DataFiles files;
  files.SetDataDir(dir);
  files.OpenDataFiles();
  Operation op(files);
  const int count = op.ReadCount(channel);
  MoveByValue(op, channel, index + 1, count - index - 1, index, LayoutOf(channel));
  for (int f = 1; f <= int(LayoutOf(channel).size()); ++f) {
    op.WriteText(channel, store::FieldRecord(channel, count - 1, f), QString());
  }
  op.WriteCount(channel, count - 1);
  EXPECT_TRUE(op.Commit().stored());
  return FileBytes(files.PathOf(channel));
}

TEST_F(StoreMoveItemsTest, OwnersDeletesLeaveTheBytesTheValueByValueDeleteLeft) {
  FillFiles(dir_.path(), 40);
  const FolderState start = ReadFolder(dir_.path());
  for (const int index : {0, 17, 38, 39}) {
    const QByteArray notes = DeleteByValue(dir_.path(), Channel::kNotes, index);
    WriteFolder(dir_.path(), start);
    QString key;
    {
      DataFiles files;
      files.SetDataDir(dir_.path());
      files.OpenDataFiles();
      ASSERT_TRUE(DeleteNote(files, index).stored());
      EXPECT_TRUE(FileBytes(files.PathOf(Channel::kNotes)) == notes) << "note " << index;
      key = ReadAddressKey(files, index);
    }
    WriteFolder(dir_.path(), start);
    // The address book deletes by key: an empty or repeated key is not this
    // entry's to delete.
    {
      DataFiles files;
      files.SetDataDir(dir_.path());
      files.OpenDataFiles();
      if (key.isEmpty() || FindAddressEntry(files, key) != index) continue;
    }
    const QByteArray book = DeleteByValue(dir_.path(), Channel::kAddBook, index);
    WriteFolder(dir_.path(), start);
    {
      DataFiles files;
      files.SetDataDir(dir_.path());
      files.OpenDataFiles();
      ASSERT_TRUE(DeleteAddressEntry(files, key).stored());
      EXPECT_TRUE(FileBytes(files.PathOf(Channel::kAddBook)) == book) << "entry " << index;
    }
    WriteFolder(dir_.path(), start);
  }
}

TEST_F(StoreMoveItemsTest, MovesAreAllOrNothingAtEveryCrashPoint) {
  auto with = [](int items) { return [items](const QString& dir) { FillFiles(dir, items); }; };
  RunSweep("move notes down across read blocks", {with(100), [](DataFiles& f) {
                                                    Operation op(f);
                                                    op.MoveItems(Channel::kNotes, 1, 99, 0,
                                                                 LayoutOf(Channel::kNotes));
                                                    op.WriteCount(Channel::kNotes, 99);
                                                    op.Commit();
                                                  }});
  RunSweep("move appointments up, overlapping", {with(9), [](DataFiles& f) {
                                                   Operation op(f);
                                                   op.MoveItems(Channel::kAppoint, 0, 9, 2,
                                                                LayoutOf(Channel::kAppoint));
                                                   op.Commit();
                                                 }});
  RunSweep("delete an address entry and a note in one operation",
           {with(9), [](DataFiles& f) {
              Operation op(f);
              op.MoveItems(Channel::kAddBook, 4, 5, 3, LayoutOf(Channel::kAddBook));
              op.MoveItems(Channel::kNotes, 1, 8, 0, LayoutOf(Channel::kNotes));
              op.Commit();
            }});
}

}  // namespace
}  // namespace quorvel::testing
