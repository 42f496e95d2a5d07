#include "model/documents/compil.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "foundation/core.h"
#include "foundation/file_system.h"
#include "foundation/log.h"
#include "model/documents/compil_context.h"
// Generated from compil.y and compil.l.
#include "compil_parser.h"
#define YYSTYPE COMPILSTYPE
#include "compil_scanner.h"

char* CompilStrings::room(size_t most) {
    if (most >= left_) {
        // A text longer than a block gets a block of its own size.
        size_t size = std::max(block_size, most + 1);
        blocks_.emplace_back(new (std::nothrow) char[size]);
        if (!blocks_.back()) no_memory();
        next_ = blocks_.back().get();
        left_ = size;
    }
    return next_;
}

const char* CompilStrings::keep(size_t size) {
    TN_ASSERT(size < left_);
    char* text = next_;
    text[size] = '\0';
    next_ += size + 1;
    left_ -= size + 1;
    return text;
}

const char* CompilStrings::keep(std::string_view text) {
    char* to = room(text.size());
    if (!text.empty()) std::memcpy(to, text.data(), text.size());
    return keep(text.size());
}

size_t CompilContext::read(char* buf, size_t size) {
    if (file) {
        size_t n = std::fread(buf, 1, size, file);
        if (n == 0 && std::ferror(file)) read_failed = true;
        return n;
    }
    size_t n = std::min(size, text_left);
    if (n > 0) std::memcpy(buf, text, n);
    text += n;
    text_left -= n;
    return n;
}

namespace {

constexpr int input_buffer_size = 16384;

// The result of a parse that ended with `rc`, with the message a failure
// gives; on any failure the builder drops what it made.
int finish(CompilContext& ctx, int rc, CompilReport report) {
    if (rc == 0) return 0;
    int result;
    if (ctx.stopped) {
        result = ctx.stop_code;
        if (ctx.stop_message)
            report("compil : Error : %s at line %d\n", ctx.stop_message, ctx.error_line);
    } else if (rc == 2) {
        report("compil : Error : %s at line %d\n", "parser stack overflow", ctx.error_line);
        result = 2;
    } else {
        report("compil : Error : %s at line %d\n", "parse error", ctx.error_line);
        result = 1;
    }
    ctx.builder->abort();
    return result;
}

// One compilation over the source the context names: a fresh scanner with
// its own buffer, the parse, and the release of both.
int compile(CompilContext& ctx, CompilReport report) {
    if (!report) report = log_printf;
    ctx.builder->attach_line(&ctx.line);
    ctx.builder->start(ctx.mode, report);

    yyscan_t scanner = nullptr;
    if (compillex_init_extra(&ctx, &scanner) != 0) no_memory();
    YY_BUFFER_STATE buffer = compil_create_buffer(nullptr, input_buffer_size, scanner);
    compil_switch_to_buffer(buffer, scanner);
    int rc = compilparse(scanner, &ctx);
    compil_delete_buffer(buffer, scanner);
    compillex_destroy(scanner);

    int result = finish(ctx, rc, report);
    ctx.builder->attach_line(nullptr);
    return result;
}

}  // namespace

int compil_file(FILE* file, int mode, CompilBuilder& builder, CompilReport report) {
    TN_ASSERT(file != nullptr);
    CompilContext ctx;
    ctx.builder = &builder;
    ctx.mode = mode;
    ctx.file = file;
    return compile(ctx, report);
}

int compil_path(const char* path, int mode, CompilBuilder& builder, CompilReport report) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(open_file(path, "r"), std::fclose);
    if (!file) {
        (report ? report : log_printf)("Can't open file '%s'\n", path);
        return 51;
    }
    return compil_file(file.get(), mode, builder, report);
}

int compil_string(std::string_view text, int mode, CompilBuilder& builder, CompilReport report) {
    CompilContext ctx;
    ctx.builder = &builder;
    ctx.mode = mode;
    ctx.text = text.data();
    ctx.text_left = text.size();
    return compile(ctx, report);
}
