Enum Size
  Small
  Large
End Enum
Sub Main
  Print Size.Medium
End Sub
' expect error: line 6: Medium is not a member of Enum Size
