' An unhandled error reports the line where it happened, not the caller's.
Function Inner(a)
  Inner = a(5)
End Function

Sub Main
  Dim arr(2)
  Print "start" ' expect: start
  Print Inner(arr)
End Sub
' expect error: line 3: Subscript out of range
