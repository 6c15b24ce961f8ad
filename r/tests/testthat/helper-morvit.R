# What the tests share: the stored outputs of the command line, the data sets run as the
# command line ran them (tests/testthat/datasets.tsv, which r/gather.cmake read to make
# them), and the comparison of a report with a conformance case's stored lines.

read_bytes <- function(path) readChar(path, file.size(path), useBytes = TRUE)

# The report's lines (as a run wrote them, CR LF ends) with the date and time blanked.
without_clock <- function(lines) {
  clock <- grepl("SYSTEM DATE AND TIME|MORVIT FINISHED ON", lines)
  lines[clock] <- gsub("[0-9]", "#", lines[clock])
  lines
}

datasets <- function() read.delim(test_path("datasets.tsv"), colClasses = "character")

# "SURVIVED=-9,0,10 DEVELOPED=400,550,900" as morvit()'s `calibrate`.
calibrations <- function(text) {
  if (text == "-") return(NULL)
  pairs <- strsplit(strsplit(text, " ", fixed = TRUE)[[1L]], "=", fixed = TRUE)
  stats::setNames(lapply(pairs, function(pair) as.numeric(strsplit(pair[2L], ",", fixed = TRUE)[[1L]])),
                  vapply(pairs, `[`, "", 1L))
}

# morvit() on a data set as the command line made and ran it: the data frame is passed
# under the data set's name, which names the command file and the CSV file it was made from.
run_dataset <- function(set) {
  data <- read.csv(test_path("datasets", set$data), check.names = FALSE)
  holder <- new.env()
  assign(set$name, data, envir = holder)
  given <- function(field) if (field == "-") NULL else field
  number <- function(field) if (field == "-") NULL else as.numeric(field)
  arguments <- list(as.name(set$name), outcome = set$outcome, conditions = strsplit(set$conditions, ",")[[1L]],
                    cases = given(set$cases), weights = given(set$weights), mer = number(set$mer),
                    damping = number(set$dam), title = given(set$title), calibrate = calibrations(set$calibrate))
  do.call(morvit, arguments, envir = holder)
}

# A CSV file of the command line as texts, an empty field as NA.
csv_texts <- function(path) {
  read.csv(path, colClasses = "character", na.strings = "", check.names = FALSE)
}

# A data frame of the package as the texts the command line writes: numbers in their
# shortest form (equal texts, equal doubles), TRUE and FALSE, texts as they are.
as_texts <- function(frame) {
  texts <- lapply(frame, function(column) {
    if (is.double(column)) morvit:::.number_texts(column) else as.character(column)
  })
  as.data.frame(texts, check.names = FALSE, stringsAsFactors = FALSE)
}

# Where a report differs from the stored lines of a conformance case (their kinds: an exact
# line, a date whose digits may differ, a free banner notice, any line, the rest of the
# report, fields that are not compared), or NULL where it does not.
report_difference <- function(actual, expected) {
  for (number in seq_along(expected)) {
    pattern <- expected[[number]]
    if (is.character(pattern)) pattern <- list(text = pattern, kind = "exact", fields = list())
    if (pattern$kind == "rest") return(NULL)
    if (number > length(actual)) return(sprintf("line %d: the report ends; expected %s", number, dQuote(pattern$text, FALSE)))
    if (!line_matches(pattern, actual[[number]])) {
      return(sprintf("line %d: expected %s, got %s", number, dQuote(pattern$text, FALSE), dQuote(actual[[number]], FALSE)))
    }
  }
  if (length(actual) > length(expected)) {
    return(sprintf("line %d: unexpected %s", length(expected) + 1L, dQuote(actual[[length(expected) + 1L]], FALSE)))
  }
  NULL
}

line_matches <- function(pattern, actual) {
  text <- pattern$text
  switch(pattern$kind,
    any = TRUE,
    notice = startsWith(actual, " "),
    date = nchar(actual) == nchar(text) && {
      a <- strsplit(actual, "")[[1L]]
      t <- strsplit(text, "")[[1L]]
      digit <- grepl("[0-9]", t)
      all(grepl("[0-9]", a[digit])) && all(a[!digit] == t[!digit])
    },
    {
      if (nchar(actual) != nchar(text)) return(FALSE)
      at <- 0L
      for (field in pattern$fields) {
        start <- field[[1L]]
        end <- field[[2L]]
        if (substr(actual, at + 1L, start) != substr(text, at + 1L, start)) return(FALSE)
        if (!identical(field[[3L]], "skip") && !(substr(actual, start + 1L, end) %in% unlist(field[[3L]]))) return(FALSE)
        at <- end
      }
      substr(actual, at + 1L, nchar(actual)) == substr(text, at + 1L, nchar(text))
    })
}
