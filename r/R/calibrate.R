calibrate_direct <- function(x, thresholds) {
  call <- match.call()
  if (!(is.numeric(x) || is.logical(x))) input_error("x must hold numbers: the raw values to calibrate", call)
  if (!is.numeric(thresholds) || anyNA(thresholds)) {
    input_error("thresholds must be numbers: exclusion, crossover, inclusion", call)
  }
  memberships <- tryCatch(.calibrate_direct(as.double(x), as.double(thresholds)),
                          error = function(e) input_error(paste("thresholds:", conditionMessage(e)), call))
  attributes(memberships) <- attributes(x)[intersect(names(attributes(x)), c("names", "dim", "dimnames"))]
  memberships
}
