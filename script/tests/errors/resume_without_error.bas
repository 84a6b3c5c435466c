Sub Main
  Resume Next
End Sub
' expect error: line 2: Resume without error
