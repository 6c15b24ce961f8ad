# The two X-Y plots of a block, as the page draws them: the z-scores the table tests, and
# the memberships as read with the block's fit measures under them.

plot.morvit <- function(x, block = "A", labels = FALSE, ...) {
  call <- match.call()
  table <- x$table
  if (nrow(x$cases) == 0L || nrow(table) == 0L) input_error("the run has no table, so no block to plot", call)
  if (!(is.character(block) && length(block) == 1L && !is.na(block))) {
    input_error("block must be one block label (\"A\", \"BE\") or its names (\"URBAN*STABLE\")", call)
  }
  rows <- table[table$hypothesis %in% hypotheses & (table$block == block | (!is.na(table$names) & table$names == block)), ,
                drop = FALSE]
  if (nrow(rows) == 0L) {
    blocks <- unique(table$block[table$block != "NONE"])
    input_error(sprintf("no block %s in the table; its blocks are %s", dQuote(block, FALSE),
                        paste(c(utils::head(blocks, 12L), if (length(blocks) > 12L) "..."), collapse = ", ")), call)
  }
  label <- rows$block[1L]
  cases <- x$cases
  columns <- x$summary$factors + 1L
  scores <- lapply(seq_len(columns), function(j) cases[[2L + 2L * j]])
  z <- lapply(seq_len(columns), function(j) cases[[3L + 2L * j]])
  points <- .block_points(scores, z, label)

  colours <- c("-1" = "#0072B2", "0" = "#8C8C8C", "1" = "#D55E00")
  fill <- colours[as.character(points$side)]
  weight <- cases$weight
  size <- 1.3 * sqrt(abs(weight) / max(c(abs(weight), .Machine$double.xmin)))
  size[size < 0.35] <- 0.35
  shape <- ifelse(weight < 0, 1L, 21L)
  case_labels <- ifelse(is.na(cases$name), as.character(cases$case), cases$name)
  against <- stats::setNames(rows$cases_against, rows$hypothesis)
  outcome <- if (is.na(x$names[["outcome"]])) "outcome" else x$names[["outcome"]]
  title <- if (is.na(rows$names[1L])) label else paste0(label, ": ", rows$names[1L])

  old <- graphics::par(mfrow = c(1L, 2L), pty = "s", mar = c(7.5, 4.5, 2.5, 1.5), oma = c(0, 0, 3.5, 0))
  on.exit(graphics::par(old))
  draw <- function(across, up, limits, xlab, ylab, main) {
    graphics::plot(across, up, type = "n", xlim = limits, ylim = limits, xlab = xlab, ylab = ylab, main = main)
    graphics::abline(0, 1, col = "grey40")
    graphics::points(across, up, pch = shape, bg = fill, col = ifelse(shape == 1L, fill, "black"), cex = size)
    if (isTRUE(labels)) graphics::text(across, up, case_labels, pos = 4, cex = 0.65, xpd = TRUE)
  }
  z_limits <- range(c(points$membership_z, z[[1L]]), finite = TRUE)
  draw(points$membership_z, z[[1L]], z_limits, sprintf("z-score of %s", label), sprintf("z-score of %s", outcome),
       "z-scores, as the table tests them")
  # Memberships outside 0 to 1 are drawn at the nearest bound, as the fit measures take them.
  inside <- function(values) pmin(pmax(values, 0), 1)
  draw(inside(points$membership), inside(scores[[1L]]), c(0, 1), sprintf("membership in %s", label),
       sprintf("membership in %s", outcome), "memberships as read")
  graphics::abline(h = 0.5, v = 0.5, lty = 3, col = "grey60")
  fit <- function(value) if (is.na(value)) "n/a" else formatC(value, format = "f", digits = 3)
  graphics::mtext(c(sprintf("sufficiency: consistency %s, coverage %s, PRI %s", fit(rows$cons_suf[1L]),
                            fit(rows$cov_suf[1L]), fit(rows$pri[1L])),
                    sprintf("necessity: consistency %s, coverage %s, RoN %s", fit(rows$cons_nec[1L]),
                            fit(rows$cov_nec[1L]), fit(rows$ron[1L])),
                    sprintf("coincidence %s", fit(rows$coincidence[1L]))),
                  side = 1, line = c(4.4, 5.3, 6.2), cex = 0.8)
  # The block's name and one key for both plots, above them.
  graphics::par(fig = c(0, 1, 0, 1), oma = c(0, 0, 0, 0), mar = c(0, 0, 0, 0), pty = "m", new = TRUE)
  graphics::plot.new()
  graphics::text(0.5, 0.985, title, font = 2, cex = 1.2, xpd = NA)
  key <- c(sprintf("above the diagonal: %s cases against NECESSARY", against[["NECESSARY"]]),
           sprintf("below: %s against SUFFICIENT", against[["SUFFICIENT"]]), "on the diagonal")
  widths <- graphics::strwidth(key, cex = 0.9) + graphics::strwidth("MM", cex = 0.9)
  starts <- 0.5 - sum(widths) / 2 + c(0, cumsum(widths)[-length(widths)])
  graphics::points(starts, rep(0.935, 3L), pch = 21, cex = 1.3, bg = colours[c("1", "-1", "0")], xpd = NA)
  graphics::text(starts + graphics::strwidth("M", cex = 0.9) * 0.8, 0.935, key, adj = 0, cex = 0.9, xpd = NA)
  invisible(x)
}
