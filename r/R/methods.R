# Printing, the findings, the table as a data frame, and the report and the page as files.
# Nothing here computes a number: the findings are rows of the run's table chosen by its
# own P and critical MER and put in the order of the critical MER.

hypotheses <- c("NECESSARY", "SUFFICIENT", "NEC AND SUFF")

print.morvit <- function(x, ...) {
  s <- x$summary
  outcome <- x$names[["outcome"]]
  cat(if (is.na(outcome)) "MORVIT run\n" else paste0("MORVIT run on the outcome ", outcome, "\n"))
  if (is.na(s$cases)) {
    cat("  No table: the run ended without one; x$report says why.\n")
  } else {
    cat(sprintf("  %s, %s; denominator DF %s; MER %s (expected mean square distance %s); damping %s\n",
                counted(s$cases, "case"), counted(s$factors, "factor"), format(s$denominator_df), format(s$mer),
                format(s$expected_msd), format(s$dam)))
    factors <- x$names[-1L]
    if (length(factors) > 0L && any(!is.na(factors))) {
      cat(strwrap(paste(paste(names(factors), "=", ifelse(is.na(factors), "?", factors)), collapse = ", "),
                  indent = 2L, exdent = 2L), sep = "\n")
    }
    cat(sprintf("  The table: %s in %s (x$table); critical MER at the level %s\n", counted(nrow(x$table), "row"),
                counted(length(unique(x$table$block[x$table$block != "NONE"])), "block"), format(x$level)))
  }
  if (length(x$other_reports) > 0L) {
    cat(sprintf("  Reports written by OUT (x$other_reports): %s\n", paste(names(x$other_reports), collapse = ", ")))
  }
  if (length(x$errors) > 0L) cat(sprintf("  %s in the command file (x$errors)\n", counted(length(x$errors), "error")))
  if (length(x$warnings) > 0L) cat(sprintf("  %s (x$warnings)\n", counted(length(x$warnings), "warning")))
  cat("  summary(x) for the findings; plot(x, block = \"A\"); write_report(x, file); write_html(x, file)\n")
  invisible(x)
}

counted <- function(count, noun) sprintf("%s %s%s", format(count, big.mark = ","), noun, if (count == 1) "" else "s")

as.data.frame.morvit <- function(x, ...) x$table

summary.morvit <- function(object, mer = NULL, closest = 10L, ...) {
  table <- object$table
  level <- object$level
  if (!is.null(mer) && !(is.numeric(mer) && length(mer) == 1L && !is.na(mer) && mer >= 0)) {
    input_error("mer must be one number, 0 or more", match.call())
  }
  rows <- table[table$hypothesis %in% hypotheses, , drop = FALSE]
  shown <- !rows$omitted
  holds <- if (is.null(mer)) {
    shown & !is.na(rows$P) & rows$P >= level
  } else {
    shown & !is.na(rows$critical_mer) & rows$critical_mer <= mer
  }
  perfect <- rows$omitted & !is.na(rows$cases_against) & rows$cases_against == 0 & rows$hypothesis != "NEC AND SUFF"
  near <- shown & !holds & !is.na(rows$critical_mer)
  finding <- function(keep, limit = Inf) {
    chosen <- rows[keep, , drop = FALSE]
    chosen <- chosen[order(chosen$critical_mer), , drop = FALSE]
    chosen <- utils::head(chosen, limit)
    necessary <- chosen$hypothesis == "NECESSARY"
    sufficient <- chosen$hypothesis == "SUFFICIENT"
    data.frame(block = chosen$block, names = chosen$names, hypothesis = chosen$hypothesis, P = chosen$P,
               critical_mer = chosen$critical_mer, cases_against = chosen$cases_against,
               consistency = ifelse(necessary, chosen$cons_nec, ifelse(sufficient, chosen$cons_suf, chosen$coincidence)),
               coverage = ifelse(necessary, chosen$cov_nec, ifelse(sufficient, chosen$cov_suf, NA_real_)),
               row.names = NULL)
  }
  structure(class = "summary.morvit", list(
    outcome = object$names[["outcome"]], cases = object$summary$cases, factors = object$summary$factors,
    run_mer = object$summary$mer, mer = if (is.null(mer)) object$summary$mer else mer, level = level,
    holds = finding(holds), without_cases_against = finding(perfect), closest = finding(near, closest)))
}

print.summary.morvit <- function(x, ...) {
  cat(sprintf("MORVIT findings%s: %s cases, %s factors; MER %s, level %s\n",
              if (is.na(x$outcome)) "" else paste(" for", x$outcome), x$cases, x$factors, format(x$mer),
              format(x$level)))
  at_run_mer <- identical(x$mer, x$run_mer)
  criterion <- if (at_run_mer) "P at or above the level" else "critical MER at or below the MER"
  show_findings(sprintf("Holding at MER %s and level %s (%s)", format(x$mer), format(x$level), criterion), x$holds,
                at_run_mer)
  show_findings("Without a case against (holding at every MER)", x$without_cases_against, at_run_mer)
  show_findings(sprintf("Closest, by the critical MER at which each would hold at level %s", format(x$level)),
                x$closest, at_run_mer)
  if (!at_run_mer) cat(sprintf("\n(No P: the table's P is that of the run's MER, %s.)\n", format(x$run_mer)))
  cat("\nConsistency and coverage are those of the hypothesis: of necessity for NECESSARY, of sufficiency\n",
      "for SUFFICIENT; for NEC AND SUFF the coincidence of the two sets.\n", sep = "")
  invisible(x)
}

# Rows of findings in columns, the names last as they may be long; P only where it is the
# P at the MER the findings are read at.
show_findings <- function(title, rows, with_p) {
  cat("\n", title, if (nrow(rows) == 0L) ": none\n" else ":\n", sep = "")
  if (nrow(rows) == 0L) return(invisible())
  decimals <- function(values, digits) ifelse(is.na(values), "", formatC(values, format = "f", digits = digits))
  columns <- list(block = rows$block, hypothesis = rows$hypothesis,
                  "critical MER" = decimals(rows$critical_mer, 3L), P = decimals(rows$P, 4L),
                  against = ifelse(is.na(rows$cases_against), "", format(rows$cases_against)),
                  consistency = decimals(rows$consistency, 3L), coverage = decimals(rows$coverage, 3L),
                  names = ifelse(is.na(rows$names), "", rows$names))
  if (!with_p) columns$P <- NULL
  left <- c("block", "hypothesis", "names")
  cells <- mapply(function(values, header) {
    width <- max(nchar(c(values, header)))
    formatC(c(header, values), width = width, flag = if (header %in% left) "-" else "")
  }, columns, names(columns), SIMPLIFY = FALSE)
  cat(paste0("  ", trimws(do.call(paste, c(cells, sep = "  ")), which = "right")), sep = "\n")
  invisible()
}

write_report <- function(x, file) {
  check_result(x, file, match.call())
  .write_text(file, if (length(x$report) > 0L) paste0(paste(x$report, collapse = "\r\n"), "\r\n") else "")
  invisible(file)
}

write_html <- function(x, file) {
  check_result(x, file, match.call())
  .write_text(file, x$page)
  invisible(file)
}

check_result <- function(x, file, call) {
  if (!inherits(x, "morvit")) input_error("x must be the result of morvit() or morvit_file()", call)
  if (!(is.character(file) && length(file) == 1L && !is.na(file) && nzchar(file))) {
    input_error("file must name one file", call)
  }
}
