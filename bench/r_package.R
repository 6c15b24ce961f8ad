# The R package against the command line on the same data: 100,000 cases x 10 factors.
#
#   Rscript bench/r_package.R PROGRAM [RUNS] [LIBRARY]
#
# PROGRAM is the command line's morvit (build/morvit), LIBRARY the R library the package
# is installed in (R's own by default), RUNS the alternating runs of each (default 7).
# Makes a data frame with a fixed seed, shaped as bench/generate_commands.cpp shapes its
# data (memberships of six decimals, some of two, some the anchors 0, 0.3, 0.5, 0.7 and 1,
# factor scores that repeat the outcome's, fractional weights, case names), writes it once
# as a CSV file, and times in turn:
#   - the command line doing what morvit() does: --make-command-file on the CSV file, then
#     the run with --table-csv, --cases-csv and --html (the object holds all three);
#   - the command line making the command file and running it with --table-csv only;
#   - morvit() on the data frame, the outputs read back into R.
# Checks first that morvit() made the command line's command file byte for byte, then
# prints the median wall times and processor times (user and system, of the programs the
# command line starts and of R itself; these vary less on a busy machine) and their ratios.

arguments <- commandArgs(trailingOnly = TRUE)
if (length(arguments) < 1L) stop("usage: Rscript bench/r_package.R PROGRAM [RUNS] [LIBRARY]")
program <- normalizePath(arguments[1L])
runs <- if (length(arguments) >= 2L) as.integer(arguments[2L]) else 7L
library(morvit, lib.loc = if (length(arguments) >= 3L) arguments[3L] else NULL)

cases <- 100000L
factor_count <- 10L
set.seed(20260112)
score <- function(n) {
  kind <- sample.int(100L, n, replace = TRUE)
  values <- round(stats::runif(n), 6)
  two <- kind > 5L & kind <= 12L
  values[two] <- round(stats::runif(sum(two)), 2)
  anchors <- kind <= 5L
  values[anchors] <- sample(c(0, 0.3, 0.5, 0.7, 1), sum(anchors), replace = TRUE)
  values
}
bench <- data.frame(case = sprintf("case %06d", seq_len(cases)), Y = score(cases))
for (j in seq_len(factor_count)) {
  values <- score(cases)
  repeated <- stats::runif(cases) < 0.05
  values[repeated] <- bench$Y[repeated]
  bench[[paste0("F", j)]] <- values
}
bench$W <- round(stats::runif(cases, 0.1, 3), 3)
factors <- paste0("F", seq_len(factor_count))

work <- tempfile("morvit-bench-")
dir.create(work)
old <- setwd(work)
utils::write.csv(bench, "bench.csv", row.names = FALSE)

run_program <- function(...) {
  status <- system2(program, c(...), stdout = FALSE, stderr = FALSE)
  if (status != 0L) stop("morvit ", paste(c(...), collapse = " "), ": status ", status)
}
make_command_file <- function() {
  run_program("--make-command-file", "bench.csv", "--outcome", "Y", "--factors", paste(factors, collapse = ","),
              "--cases", "case", "--weights", "W", "-o", "bench.cmd")
}
# Wall time and processor time of an expression.
timed <- function(expression) {
  processor <- function(times) sum(times[c("user.self", "sys.self", "user.child", "sys.child")], na.rm = TRUE)
  start <- proc.time()
  force(expression)
  end <- proc.time()
  c(wall = end[["elapsed"]] - start[["elapsed"]], processor = processor(end) - processor(start))
}
command_line_all <- function() timed({
  make_command_file()
  run_program("--table-csv", "table.csv", "--cases-csv", "cases.csv", "--html", "page.html", "bench.cmd")
})
command_line_table <- function() timed({
  make_command_file()
  run_program("--table-csv", "table.csv", "bench.cmd")
})
package <- function() timed(result <<- morvit(bench, "Y", factors, cases = "case", weights = "W"))

result <- NULL
invisible(package())
make_command_file()
same <- identical(result$command, readChar("bench.cmd", file.size("bench.cmd"), useBytes = TRUE))
cat(sprintf("%d cases x %d factors; morvit() made the command line's command file byte for byte: %s\n", cases,
            factor_count, same))
if (!same) stop("the command files differ")

ways <- c("all", "table", "R")
wall <- matrix(NA_real_, runs, 3L, dimnames = list(NULL, ways))
processor <- wall
for (i in seq_len(runs)) {
  for (way in ways) {
    measured <- switch(way, all = command_line_all(), table = command_line_table(), R = package())
    wall[i, way] <- measured[["wall"]]
    processor[i, way] <- measured[["processor"]]
  }
}
setwd(old)
unlink(work, recursive = TRUE)

median_wall <- apply(wall, 2L, stats::median)
fastest_wall <- apply(wall, 2L, min)
median_processor <- apply(processor, 2L, stats::median)
cat(sprintf("%d alternating runs; seconds: median wall time (fastest), median processor time\n", runs))
labels <- c(all = "command line: command file, run with table, cases and page",
            table = "command line: command file, run with the table only",
            R = "morvit() on the data frame, all read back into R")
for (way in ways) {
  cat(sprintf("  %-60s %6.3f (%6.3f)  %6.3f\n", labels[[way]], median_wall[[way]], fastest_wall[[way]],
              median_processor[[way]]))
}
cat(sprintf("ratio morvit() / command line, wall: %.2f (the same outputs), %.2f (the table only)\n",
            median_wall[["R"]] / median_wall[["all"]], median_wall[["R"]] / median_wall[["table"]]))
cat(sprintf("ratio morvit() / command line, processor: %.2f (the same outputs), %.2f (the table only)\n",
            median_processor[["R"]] / median_processor[["all"]], median_processor[["R"]] / median_processor[["table"]]))
