#include "recordio/formatted_writer.h"

#include <cassert>

#include "recordio/field_editing.h"

namespace morvit {
namespace {

// The record under construction. Only forward moves exist, so the current column is
// always the end of the text placed so far.
class RecordBuilder {
 public:
  explicit RecordBuilder(RecordSink& sink) : sink_(sink) {}

  void move(int columns) { pending_move_ += columns; }

  // Carries out the pending move, then returns the buffer to append to.
  std::string& place() {
    record_.append(static_cast<std::size_t>(pending_move_), ' ');
    pending_move_ = 0;
    return record_;
  }

  void end_record() {
    sink_.write_record(record_);
    record_.clear();
    pending_move_ = 0;
  }

 private:
  RecordSink& sink_;
  std::string record_;
  int pending_move_ = 0;
};

void edit_item(std::string& out, const FormatOp& op, const OutputItem& item) {
  switch (op.kind) {
    case FormatOp::Kind::text_item:
      assert(item.kind == OutputItem::Kind::text);
      edit_text(out, item.text, op.width);
      return;
    case FormatOp::Kind::integer:
      assert(item.kind == OutputItem::Kind::integer);
      edit_integer(out, item.integer, op.width, op.digits);
      return;
    case FormatOp::Kind::fixed: {
      assert(item.kind != OutputItem::Kind::text);
      const double value = item.kind == OutputItem::Kind::integer ? static_cast<double>(item.integer) : item.real;
      edit_fixed(out, value, op.width, op.digits);
      return;
    }
    default: assert(false && "not a data descriptor");
  }
}

}  // namespace

void write_formatted(RecordSink& sink, const Format& format, std::initializer_list<OutputItem> items) {
  RecordBuilder record(sink);
  auto next_item = items.begin();
  for (const FormatOp& op : format.ops()) {
    switch (op.kind) {
      case FormatOp::Kind::move: record.move(op.width); break;
      case FormatOp::Kind::literal:
        if (!op.text.empty()) record.place().append(op.text);
        break;
      case FormatOp::Kind::new_record: record.end_record(); break;
      default:
        if (next_item == items.end()) {
          record.end_record();
          return;
        }
        edit_item(record.place(), op, *next_item++);
        break;
    }
  }
  assert(next_item == items.end() && "more items than data descriptors");
  record.end_record();
}

}  // namespace morvit
